// The working of the estimate and its level line, written from the computed value.

#include <ostream>

#include "estimate/Estimate.hpp"
#include "report/Line.hpp"
#include "report/Real.hpp"
#include "report/Report.hpp"

namespace Vantorn {
namespace {

constexpr std::streamsize workingPrecision = 4;
constexpr std::streamsize levelPrecision = 3;
// What the level line shows for a card that is not estimated.
constexpr double notEstimatedLevel = -774.0;

}  // namespace

void writeWorking(std::ostream& out, const LevelWorking& working) {
    const Totals& totals = working.totals;
    writeLine(out, "L:", Real{totals.L}, ", D: ", Real{totals.D}, ", Lp: ", Real{totals.Lp},
              ", Dp: ", Real{totals.Dp}, ", M: ", Real{totals.M});
    for (const TrialLevel& trial : working.trials) {
        out << trial.level << ", " << Real{trial.power} << "; ";
    }
    out << '\n';
}

void writeEstimate(std::ostream& out, const LevelEstimate& estimate) {
    // A stream of its own over the caller's buffer: the precisions set here stay here.
    std::ostream stream(out.rdbuf());
    stream.copyfmt(out);
    stream.precision(workingPrecision);
    for (const LevelWorking& working : estimate.workings) {
        writeWorking(stream, working);
    }
    if (!estimate.level) {
        writeLine(stream, "双方全体: not yet implemented.");
    }
    stream.precision(levelPrecision);
    writeLine(stream, "level: ", Real{estimate.level.value_or(notEstimatedLevel)});
}

}  // namespace Vantorn
