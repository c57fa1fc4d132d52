// SPDX-License-Identifier: MIT
#pragma once

// The shell folder browser's tree, as both folder choosers reach it once the browser is open.

#include <windows.h>

namespace gantrel::ui::win32 {

/// The browser's tree view: inside its namespace control (the modern browser, and the classic
/// one from Windows 7 on), or its own child; null when it has none (Wine's modern browser).
HWND browserTree(HWND browser);

/// Scrolls the tree's selected item into view; false when no item is selected.
bool ensureSelectionVisible(HWND tree);

/// Once the browser has been shown and its tree laid out (a short timer after its initialised
/// notification: on Windows 7 and later the tree is laid out after that notification, so that
/// scrolling there is undone): scrolls the selected folder into view and gives the tree the
/// keyboard focus, so that the selection is highlighted.
void showSelectionOnceShown(HWND browser);

/// Puts the browser over the middle of `owner`, wholly on the work area of the owner's monitor;
/// leaves it where it is without an owner.
void placeOverOwner(HWND browser, HWND owner);

}  // namespace gantrel::ui::win32
