#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace bl::cli {

// "analyze metrics RUN [--commanded N] [--actual N]": the step metrics of a run (a file that
// "series convert" reads; by default series 1 commanded and series 2 actual, as "tune" writes
// them) as CSV lines "metric,value" in seconds, percent and the series' units; a metric that
// cannot be measured is left empty and the reason goes to err. Needs no controller. Moves i past
// its arguments. Returns an exit status.
//
// "analyze bode RUN [--commanded N] [--actual N] [--segments K | --whole [--smooth B]]
// [--ivars FILE] [--motor N] [--open-loop]": the averaged (or, with --whole, whole-run)
// frequency response commanded -> actual as CSV lines
// "frequency,magnitude_db,phase_deg,coherence" (with --open-loop the open loop instead); on err
// the segments used, the closed-loop bandwidth and, with the motor's I-variables from FILE (the
// motor named in the commanded series' title unless --motor), crossover, phase and gain margins.
//
// "analyze predict --from RUN [--set ASSIGNMENTS] [--move MOVE] [--ivars FILE] [--motor N]
// [--commanded N] [--actual N] [--output N] [--suggest] [--phase-margin DEG] [--gain-margin DB]":
// the plant identified from the run's actual position and output, then the move predicted under
// the run's gains with ASSIGNMENTS applied, as CSV "time_s,commanded,actual,output"; the fit,
// margins and metrics (and with --suggest a filter and gains for the margins) on err. Unstable
// gains give no CSV, the reason on err and status 1.
//
// "analyze chirp [--amplitude CTS] [--low HZ] [--high HZ] [--time MS] [--program N] [--gather]":
// the motion program of a logarithmic chirp excitation, as a file to download, on out.
int RunAnalyzeCommand(const std::vector<std::string>& args, std::size_t& i, std::ostream& out,
                      std::ostream& err);

}  // namespace bl::cli
