#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace bl::cli {

// "history list|show|diff|export ...": the tuning history kept by every test move, from the
// user's data folder. Needs no controller. Moves i past its arguments. Returns an exit status.
int RunHistoryCommand(const std::vector<std::string>& args, std::size_t& i, std::ostream& out,
                      std::ostream& err);

// The part of the --help text about it.
const char* HistoryUsageText();

}  // namespace bl::cli
