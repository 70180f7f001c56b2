#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_print_job.h"

namespace bl::platform {

namespace {

QString FilterString(const std::vector<FileFilter>& filters) {
  QStringList parts;
  for (const FileFilter& f : filters) {
    QString patterns = ToQt(f.pattern);
    patterns.replace(';', ' ');
    const QString description = ToQt(f.description);
    parts << (description.contains('(') ? description : description + " (" + patterns + ")");
  }
  return parts.join(";;");
}

}  // namespace

QtDesktop::QtDesktop() { qApp->installEventFilter(this); }

QtDesktop::~QtDesktop() {
  if (qApp) qApp->removeEventFilter(this);
}

QWidget* QtDesktop::Owner() const {
  return owner_ ? owner_.data() : QApplication::activeWindow();
}

bool QtDesktop::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      const bool down = event->type() == QEvent::KeyPress;
      if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) escape_ = down;
      const Qt::KeyboardModifiers mods = key->modifiers();
      shift_ = mods.testFlag(Qt::ShiftModifier);
      control_ = mods.testFlag(Qt::ControlModifier);
      break;
    }
    case QEvent::ApplicationDeactivate:
      escape_ = shift_ = control_ = false;
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

KeyState QtDesktop::Keys() const { return {escape_.load(), shift_.load(), control_.load()}; }

MessageAnswer QtDesktop::ShowMessage(std::string_view text, std::string_view title,
                                     MessageButtons buttons, MessageIcon icon) {
  QMessageBox box(Owner());
  box.setWindowTitle(ToQt(title));
  box.setText(ToQt(text));
  switch (icon) {
    case MessageIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
    case MessageIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MessageIcon::None:
      break;
  }
  QMessageBox::StandardButtons set;
  switch (buttons) {
    case MessageButtons::Ok:
      set = QMessageBox::Ok;
      break;
    case MessageButtons::OkCancel:
      set = QMessageBox::Ok | QMessageBox::Cancel;
      break;
    case MessageButtons::YesNo:
      set = QMessageBox::Yes | QMessageBox::No;
      break;
    case MessageButtons::YesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
    case MessageButtons::RetryCancel:
      set = QMessageBox::Retry | QMessageBox::Cancel;
      break;
  }
  box.setStandardButtons(set);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    case QMessageBox::Retry:
      return MessageAnswer::Retry;
    case QMessageBox::Cancel:
      return MessageAnswer::Cancel;
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    default:
      // Closed with ESC or the close box: the answer a Cancel button would give, else OK.
      return set.testFlag(QMessageBox::Cancel) ? MessageAnswer::Cancel
             : set.testFlag(QMessageBox::No)   ? MessageAnswer::No
                                               : MessageAnswer::Ok;
  }
}

std::optional<std::string> QtDesktop::ChooseOpenFile(const FileDialogRequest& request) {
  const QString path = QFileDialog::getOpenFileName(
      Owner(), ToQt(request.title), ToQt(request.initialPath), FilterString(request.filters));
  if (path.isEmpty()) return std::nullopt;
  return path.toLocal8Bit().toStdString();
}

std::optional<std::string> QtDesktop::ChooseSaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(Owner(), ToQt(request.title), ToQt(request.initialPath),
                     FilterString(request.filters));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (!request.askToOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(ToQt(request.defaultExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

std::optional<Rgb> QtDesktop::ChooseColor(Rgb initial) {
  const QColor c = QColorDialog::getColor(QColor(initial.r, initial.g, initial.b), Owner());
  if (!c.isValid()) return std::nullopt;
  return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
             static_cast<std::uint8_t>(c.blue())};
}

std::unique_ptr<PrintJob> QtDesktop::BeginPrint(std::string_view documentName) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setDocName(ToQt(documentName));
  // Without a printer the output is a PDF file: offer one named after the document, in the home
  // folder, rather than the bare folder the dialog would show (which cannot be written).
  if (printer->outputFormat() == QPrinter::PdfFormat && printer->outputFileName().isEmpty())
    printer->setOutputFileName(QDir::homePath() + "/" + ToQt(documentName) + ".pdf");
  QPrintDialog dialog(printer.get(), Owner());
  if (dialog.exec() != QDialog::Accepted) return nullptr;
  return std::make_unique<QtPrintJob>(std::move(printer));
}

std::string QtDesktop::ClipboardText() {
  return FromQt(Latin1Only(QGuiApplication::clipboard()->text()));
}

void QtDesktop::SetClipboardText(std::string_view text) {
  QGuiApplication::clipboard()->setText(ToQt(text));
}

bool QtDesktop::OpenExternal(std::string_view pathOrAddress) {
  const QString s =
      QString::fromLocal8Bit(pathOrAddress.data(), static_cast<qsizetype>(pathOrAddress.size()));
  const bool isAddress = s.contains("://") || s.startsWith("www.");
  if (!isAddress && !QFileInfo::exists(s)) return false;
  return QDesktopServices::openUrl(isAddress ? QUrl::fromUserInput(s) : QUrl::fromLocalFile(s));
}

}  // namespace bl::platform
