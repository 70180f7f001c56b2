#include "gui_support.h"

#include <QApplication>
#include <QDir>

#include "platform/qt/qt_locale.h"

namespace bl::test {

void EnsureApplication() {
  if (QApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "gui_test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  platform::KeepCNumberFormat();
}

QString SaveScreenshot(const QImage& image, const QString& name) {
  const QString folder = QStringLiteral(BL_TEST_OUTPUT_DIR);
  QDir().mkpath(folder);
  const QString path = folder + "/" + name + ".png";
  image.save(path);
  return path;
}

bool AnyPixelNear(const QImage& image, const QRect& area, QColor color, int tolerance) {
  const QRect r = area.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - color.red()) <= tolerance &&
          std::abs(c.green() - color.green()) <= tolerance &&
          std::abs(c.blue() - color.blue()) <= tolerance)
        return true;
    }
  return false;
}

}  // namespace bl::test
