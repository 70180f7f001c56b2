#pragma once

#include <QImage>
#include <QString>

namespace bl::test {

// Creates the one QApplication of a GUI test program (off screen unless a platform is set).
void EnsureApplication();

// Saves an image for people to look at under the build folder's test-output directory; returns
// the path written.
QString SaveScreenshot(const QImage& image, const QString& name);

// True when some pixel in the rectangle is close to the colour (anti-aliased text blends).
bool AnyPixelNear(const QImage& image, const QRect& area, QColor color, int tolerance = 40);

}  // namespace bl::test
