#pragma once
// Return in a number field applies the field and stays in the dialog (it
// would otherwise reach the dialog's default button).
#include <functional>

class QLineEdit;

void OnFieldReturn(QLineEdit* field, std::function<void()> apply);
