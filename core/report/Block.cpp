#include <ostream>

#include "cards/SkillCard.hpp"
#include "estimate/Estimate.hpp"
#include "report/Report.hpp"

namespace Vantorn {

void writeCardBlock(std::ostream& out, const std::string& path, const SkillCard& card,
                    const LevelEstimate& estimate) {
    writeHeader(out, path);
    writeDescription(out, card);
    writeEstimate(out, estimate);
}

}  // namespace Vantorn
