// Everything the window asks of the user or hands to the desktop goes
// through this one seam: message boxes, the open and save dialogs and opening
// a finished document. The test programs put their own in place to set file
// names and to collect the messages instead of blocking on a modal box.
#pragma once

#include <QString>

class QWidget;

namespace kestrova {

enum class tBoxIcon { None, Information, Warning, Error };

struct tFileDialogRequest {
    QString Title;
    QString Filter;       // "Description|pattern|Description|pattern"
    QString FileName;     // preset name
    QString DefaultSuffix;
};

class TUiSeam {
public:
    virtual ~TUiSeam() = default;
    virtual void ShowMessage(QWidget* owner, const QString& caption, const QString& text, tBoxIcon icon) = 0;
    // The chosen file name, or an empty text when the user cancels.
    virtual QString OpenFileName(QWidget* owner, const tFileDialogRequest& request) = 0;
    virtual QString SaveFileName(QWidget* owner, const tFileDialogRequest& request) = 0;
    // Hands a written file to the desktop (the spreadsheet application); false when that fails.
    virtual bool OpenDocument(const QString& fileName) = 0;
};

// The seam in use; the desktop one unless a test put its own in place.
TUiSeam& UiSeam();
// Replaces the seam (nullptr restores the desktop one). The caller keeps ownership.
void SetUiSeam(TUiSeam* seam);

// "Description|pattern|..." as the window's dialog filters are written, in the
// form the toolkit's file dialogs take ("Description (pattern);;...").
QString DialogFilter(const QString& pipeFilter);

}  // namespace kestrova
