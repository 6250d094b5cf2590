#pragma once

#include <QString>

// Fills a folder with a generated desktop: files of 15 kinds, one folder in 25,
// one trusted launcher in 50. With a picture edge above 0 the PNG and JPEG files
// are real, all different pictures of that width, so each gets a thumbnail.
void populateDesktop(const QString &folder, int count, int pictureEdge = 0);
