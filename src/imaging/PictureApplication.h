// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>

#include <memory>

namespace tavrel {

// The application object of a program without windows that reads
// pictures (tavrel-cli): a GUI application on a platform that shows
// nothing ("offscreen", unless QT_QPA_PLATFORM names another), because
// drawing an SVG picture's text needs the fonts only a GUI application
// has.
std::unique_ptr<QCoreApplication> CreatePictureApplication(int& argc, char** argv);

} // namespace tavrel
