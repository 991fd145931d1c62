// The window's benchmarks run without anyone to answer: messages of the run
// (crossroads without a single crossing) go nowhere and no dialog opens.
#pragma once

#include "gui/app/ui_seam.h"

namespace kestrova {

class TQuietSeam final : public TUiSeam {
public:
    void ShowMessage(QWidget*, const QString&, const QString&, tBoxIcon) override {}
    QString OpenFileName(QWidget*, const tFileDialogRequest&) override { return {}; }
    QString SaveFileName(QWidget*, const tFileDialogRequest&) override { return {}; }
    bool OpenDocument(const QString&) override { return false; }
};

}  // namespace kestrova
