#include "editor/print_presenter.h"

#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::editor {

namespace {

constexpr double kInchesPerMm = 0.03937007874015748;
constexpr double kMmPerInch = 25.4;
// A field is read from at most this many characters.
constexpr std::size_t kMaxFieldRead = 255;

constexpr std::array<std::string_view, kPrintFieldCount> kLabels = {
    "Left Margin (inches):",   "Right Margin (inches):", "Top Margin (inches):",
    "Bottom Margin (inches):", "Starting Line Number:",  "Ending Line Number:",
    "Lines Per Page:"};

// The width of "x" stands for the font's average character width, as text metrics define it.
constexpr std::string_view kAverageCharacter = "x";

// A new page with the printout's font: "Courier New" of the row height, black, no background.
platform::Canvas& StartPage(platform::PrintJob& job, int rowHeight) {
  platform::Canvas& canvas = job.BeginPage();
  canvas.SetFontByHeight(rowHeight, true);
  canvas.SetTextColor(platform::Rgb{0, 0, 0});
  canvas.SetTextBackground(platform::Rgb{255, 255, 255}, false);
  return canvas;
}

}  // namespace

PrintPresenter::PrintPresenter(EditorState& editor, PrintSettings& settings,
                               platform::Desktop& desktop)
    : s_(editor), settings_(settings), desktop_(desktop) {}

std::string_view PrintPresenter::Label(PrintField field) { return kLabels[Index(field)]; }

double* PrintPresenter::Margin(PrintField field) const {
  switch (field) {
    case PrintField::LeftMargin:
      return &settings_.leftMarginMm;
    case PrintField::RightMargin:
      return &settings_.rightMarginMm;
    case PrintField::TopMargin:
      return &settings_.topMarginMm;
    case PrintField::BottomMargin:
      return &settings_.bottomMarginMm;
    default:
      return nullptr;
  }
}

int* PrintPresenter::Number(PrintField field) const {
  switch (field) {
    case PrintField::StartingLine:
      return &settings_.startingLine;
    case PrintField::EndingLine:
      return &settings_.endingLine;
    case PrintField::LinesPerPage:
      return &settings_.linesPerPage;
    default:
      return nullptr;
  }
}

void PrintPresenter::Open() {
  const LineRange range = DefaultPrintRange(s_.editorText, s_.caret, s_.anchor);
  settings_.startingLine = range.startingLine;
  settings_.endingLine = range.endingLine;
  for (int i = 0; i < kPrintFieldCount; ++i) {
    const auto field = static_cast<PrintField>(i);
    if (const double* mm = Margin(field))
      fields_[Index(field)] = platform::Format("%.2lf", *mm * kInchesPerMm);
    else
      fields_[Index(field)] = platform::Format("%d", *Number(field));
  }
}

void PrintPresenter::SetField(PrintField field, std::string_view text) {
  fields_[Index(field)] = std::string(text);
}

void PrintPresenter::Accept() {
  for (int i = 0; i < kPrintFieldCount; ++i) {
    const auto field = static_cast<PrintField>(i);
    const std::string& text = fields_[Index(field)];
    if (double* mm = Margin(field)) {
      double inches = 0;
      if (platform::Scan(text, kMaxFieldRead, "%lf", &inches) == 1) *mm = inches * kMmPerInch;
    } else {
      int value = 0;
      if (platform::Scan(text, kMaxFieldRead, "%d", &value) == 1) *Number(field) = value;
    }
  }
}

void PrintPresenter::ReportNoRoom() {
  desktop_.ShowMessage("The margins and lines per page leave no room to print.", "Print Error",
                       platform::MessageButtons::Ok, platform::MessageIcon::Warning);
}

PrintOutcome PrintPresenter::Print() {
  // Known before a printer is asked for: less than one line a page never fits.
  if (settings_.linesPerPage < 1) {
    ReportNoRoom();
    return PrintOutcome::NoRoom;
  }
  std::unique_ptr<platform::PrintJob> job = desktop_.BeginPrint(kPrintDocumentName);
  if (!job) {
    desktop_.ShowMessage("Printing will not continue.", "Print Error", platform::MessageButtons::Ok,
                         platform::MessageIcon::Warning);
    return PrintOutcome::Cancelled;
  }
  const std::optional<PageLayout> layout = LayOutPage(job->Page(), settings_);
  if (!layout) {
    ReportNoRoom();  // the job goes unprinted
    return PrintOutcome::NoRoom;
  }
  const platform::Rect firstRow{layout->left, layout->top, layout->right,
                                layout->top + layout->rowHeight};
  const int perRow = CharactersPerRow(firstRow.Width(),
                                      job->TextWidth(kAverageCharacter, layout->rowHeight, true));
  if (perRow < 1) {
    ReportNoRoom();  // the job goes unprinted
    return PrintOutcome::NoRoom;
  }
  // A starting line past the end gives a document without pages.
  PrintRows rows(s_.editorText, settings_.startingLine, settings_.endingLine, perRow);
  while (!rows.Done()) {
    platform::Canvas& canvas = StartPage(*job, layout->rowHeight);
    platform::Rect box = firstRow;
    for (int row = 0; row < settings_.linesPerPage && !rows.Done(); ++row) {
      const PrintRow r = rows.Next();
      std::string line = r.label;
      line += r.text;
      canvas.DrawText(
          line, box,
          platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine);
      box.top += layout->rowHeight;
      box.bottom += layout->rowHeight;
    }
    job->EndPage();
  }
  if (!job->Finish()) {
    desktop_.ShowMessage("The printout could not be completed.", "Print Error",
                         platform::MessageButtons::Ok, platform::MessageIcon::Warning);
    return PrintOutcome::Failed;
  }
  desktop_.ShowMessage("Printing is Complete", "Print Message");
  return PrintOutcome::Printed;
}

}  // namespace bl::editor
