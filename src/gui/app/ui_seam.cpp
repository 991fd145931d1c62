#include "gui/app/ui_seam.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace kestrova {

namespace {

class TDesktopSeam final : public TUiSeam {
public:
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text, tBoxIcon icon) override {
        QMessageBox box(owner);
        box.setWindowTitle(caption);
        box.setText(text);
        switch (icon) {
        case tBoxIcon::Information: box.setIcon(QMessageBox::Information); break;
        case tBoxIcon::Warning: box.setIcon(QMessageBox::Warning); break;
        case tBoxIcon::Error: box.setIcon(QMessageBox::Critical); break;
        case tBoxIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        }
        box.exec();
    }
    QString OpenFileName(QWidget* owner, const tFileDialogRequest& r) override {
        return QFileDialog::getOpenFileName(owner, r.Title, r.FileName, DialogFilter(r.Filter));
    }
    QString SaveFileName(QWidget* owner, const tFileDialogRequest& r) override {
        QFileDialog dialog(owner, r.Title, r.FileName, DialogFilter(r.Filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(r.DefaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }
    bool OpenDocument(const QString& fileName) override {
        if (!HasProgramFor(fileName)) return false;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
    }

private:
    // On a freedesktop system the opener is started and forgotten, so it
    // "succeeds" also when no program takes the file: ask the desktop first
    // which program is registered for the file's type. Elsewhere the
    // desktop's own answer to opening tells.
    static bool HasProgramFor(const QString& fileName) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
        const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (query.isEmpty()) return true;  // nothing to ask: opening will tell
        QProcess process;
        process.start(query, {QStringLiteral("query"), QStringLiteral("default"),
                              QMimeDatabase().mimeTypeForFile(fileName).name()});
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(1000);
            return true;
        }
        return process.exitCode() == 0 && !process.readAllStandardOutput().trimmed().isEmpty();
#else
        Q_UNUSED(fileName);
        return true;
#endif
    }
};

TDesktopSeam gDesktopSeam;
TUiSeam* gSeam = nullptr;

}  // namespace

TUiSeam& UiSeam() { return gSeam ? *gSeam : gDesktopSeam; }
void SetUiSeam(TUiSeam* seam) { gSeam = seam; }

QString DialogFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    // A description that already names its patterns in brackets keeps its
    // words only: the dialog shows the patterns once, in its own form.
    static const QRegularExpression namedPatterns(QStringLiteral("\\s*\\([^()]*[*?][^()]*\\)\\s*$"));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        description.remove(namedPatterns);
        out << description.trimmed() + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

}  // namespace kestrova
