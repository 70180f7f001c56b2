#pragma once

#include <QApplication>
#include <QImage>
#include <QString>
#include <QTimer>
#include <functional>

namespace bl::test {

// Creates the one QApplication of a GUI test program (off screen unless a platform is set).
void EnsureApplication();

// Saves an image for people to look at under the build folder's test-output directory; returns
// the path written.
QString SaveScreenshot(const QImage& image, const QString& name);

// Answers the next modal dialog of type T once it runs (a modal dialog blocks the test).
template <typename T>
void WhenModal(std::function<void(T&)> answer, int triesLeft = 200) {
  QTimer::singleShot(10, [answer, triesLeft] {
    if (auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget()))
      answer(*dialog);
    else if (triesLeft > 0)
      WhenModal<T>(answer, triesLeft - 1);
  });
}

// True when some pixel in the rectangle is close to the colour (anti-aliased text blends).
bool AnyPixelNear(const QImage& image, const QRect& area, QColor color, int tolerance = 40);

}  // namespace bl::test
