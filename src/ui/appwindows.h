// The program's windows, created at start in their order: the main window, then the
// telephone dialog and the about box (both hidden until shown modally).
#pragma once

#include "files/prompts.h"

#include <QString>

#include <memory>

namespace tk {

class AboutBox;
class MainWindow;
class TelephoneDialog;

struct AppWindows {
    std::unique_ptr<MainWindow> main;
    TelephoneDialog* telephone = nullptr; // owned by the main window
    AboutBox* about = nullptr;            // owned by the main window
};

// Lets "MS Sans Serif" fall back to a sans face with Cyrillic glyphs.
void installFontSubstitutes();

AppWindows createWindows(const QString& programFolder, Prompts* prompts = nullptr);

} // namespace tk
