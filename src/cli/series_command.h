#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace bl::series {
class SeriesTable;
}
namespace bl::graph {
struct GraphView;
}

namespace bl::cli {

// "series convert IN OUT": reads a series file and writes it in another format, chosen by each
// name's extension: ".csv" CSV, ".txt" the text export (written only), ".ppl" a plot file (read
// only), anything else the program's data file (".bin" is added to an output name without an
// extension). Needs no controller. Moves i past its arguments; messages go to err. Returns an
// exit status: 0 written, 1 a file refused or not written, 2 the arguments not understood.
int RunSeriesCommand(const std::vector<std::string>& args, std::size_t& i, std::ostream& err);

// Reads a series file as "series convert" reads its input (the format by extension; every series
// of the table empty before) into table and view. An exit status; the reason goes to err.
int ReadSeriesInput(const std::string& path, series::SeriesTable& table, graph::GraphView& view,
                    std::ostream& err);

}  // namespace bl::cli
