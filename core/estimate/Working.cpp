#include "estimate/Working.hpp"

namespace Vantorn {

Totals weighMotions(const WeightTable& table, const std::vector<Motion>& motions) {
    Totals totals;
    weighEach(table, motions.data(), motions.data() + motions.size(), totals);
    return totals;
}

}  // namespace Vantorn
