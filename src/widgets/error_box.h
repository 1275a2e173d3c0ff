#pragma once

#include <string>

class QWidget;

// The program's general error box: captioned with the program's title, an
// error icon and an OK button.
void showErrorBox(QWidget* parent, const std::string& message);
