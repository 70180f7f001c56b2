#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

namespace bl::test {

// Creates the one QApplication of a GUI test program (off screen unless a platform is set).
void EnsureApplication();

// Saves an image for people to look at under the build folder's test-output directory; returns
// the path written.
QString SaveScreenshot(const QImage& image, const QString& name);

// Answers the next modal dialog of type T once it runs (a modal dialog blocks the test). An
// answer stopped by a failed ASSERT closes the dialog, so that the test fails instead of hanging.
template <typename T>
void WhenModal(std::function<void(T&)> answer, int triesLeft = 200) {
  QTimer::singleShot(10, [answer, triesLeft] {
    if (auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget())) {
      QPointer<QDialog> open = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      answer(*dialog);
      if (open && open->isVisible() && ::testing::Test::HasFatalFailure()) open->reject();
    } else if (triesLeft > 0)
      WhenModal<T>(answer, triesLeft - 1);
  });
}

// True when some pixel in the rectangle is close to the colour (anti-aliased text blends).
bool AnyPixelNear(const QImage& image, const QRect& area, QColor color, int tolerance = 40);

}  // namespace bl::test
