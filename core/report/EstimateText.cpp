// The working of the estimate and its level line, written from the computed value.

#include <ostream>

#include "estimate/Estimate.hpp"
#include "report/Line.hpp"
#include "report/Real.hpp"
#include "report/Report.hpp"
#include "report/TextOut.hpp"

namespace Vantorn {
namespace {

constexpr int workingPrecision = 4;
constexpr int levelPrecision = 3;
// What the level line shows for a card that is not estimated.
constexpr double notEstimatedLevel = -774.0;

std::string real(double value, int precision) { return realText(value, std::chars_format::general, precision); }

void working(TextOut& out, const LevelWorking& working) {
    const Totals& totals = working.totals;
    const auto in = [](double value) { return real(value, workingPrecision); };
    writeLine(out, "L:", in(totals.L), ", D: ", in(totals.D), ", Lp: ", in(totals.Lp), ", Dp: ", in(totals.Dp),
              ", M: ", in(totals.M));
    for (const TrialLevel& trial : working.trials) {
        out << trial.level << ", " << in(trial.power) << "; ";
    }
    out << '\n';
}

}  // namespace

void writeWorking(std::ostream& out, const LevelWorking& working) {
    TextOut text(out);
    Vantorn::working(text, working);
}

void writeEstimate(std::ostream& out, const LevelEstimate& estimate) {
    TextOut text(out);
    writeEstimate(text, estimate);
}

void writeEstimate(TextOut& out, const LevelEstimate& estimate) {
    for (const LevelWorking& working : estimate.workings) {
        Vantorn::working(out, working);
    }
    if (!estimate.level) {
        writeLine(out, "双方全体: not yet implemented.");
    }
    writeLine(out, "level: ", real(estimate.level.value_or(notEstimatedLevel), levelPrecision));
}

}  // namespace Vantorn
