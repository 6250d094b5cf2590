#pragma once

#include <QIcon>

// What the windows show that the platform decides: the words for things it
// names its own way, as catalogue source texts, and the window icon. The
// backend fills it and the program hands it to the windows, which so need no
// backend of their own.
struct PlatformLook
{
    struct Words
    {
        const char *startAtSignIn = nullptr;        // the switch and menu entry
        const char *startsAtSignInTitle = nullptr;  // the notice after the first run switched it on
        const char *autostartFailedTitle = nullptr; // the notice when it could not be changed
        const char *autostartFailedText = nullptr;
        const char *followSystemLanguage = nullptr; // the language list's first item
        const char *displayNeeded = nullptr;        // said when a start finds no display
    };

    Words words;
    // The window icon handed to the window system, made from the application icon.
    QIcon windowIcon;
};
