#pragma once
// The about selector: the about window when a display is there, otherwise
// the about text with where the window's description and the manual are.
void ShowAbout();
