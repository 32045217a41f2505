// Filling a line edit the program writes: its text shown from the start.
#pragma once

class QLineEdit;
class QString;

// Sets the text (when it differs, so a cursor and selection the user made
// survive) and shows its beginning. A line edit scrolls to its end after
// setText, which hides the hour's digits of "13.10194" in a narrow field.
void ShowFieldText(QLineEdit* edit, const QString& text);
