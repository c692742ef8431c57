// The main window's size and place, kept per user between runs.
#pragma once

#include <optional>
#include <string>

#include "ui/FormView.h"

// The user's own key of the program, where the window's place is kept.
inline constexpr const char* kProgramKey = "Software\\Ostrawin\\Klarvex";
inline constexpr const char* kWindowPlaceValue = "Window";

// "left top width height maximised", as the value holds it; nullopt for anything else.
std::string WindowPlaceText(const WindowPlace& place);
std::optional<WindowPlace> ParseWindowPlace(const std::string& text);

// A frame no smaller than smallest nor larger than the work area; moved wholly into the work
// area when less than its title bar's height and width would show there (a screen since
// removed, another resolution).
Bounds OntoWorkArea(Bounds frame, const Bounds& work, const Bounds& smallest);
