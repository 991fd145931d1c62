// Every message and grid key the sources look up by a literal must be in all
// three shipped language files, or the user sees the bare key.
#include "core/util/ini_file.h"
#include "test_support.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <map>

using namespace kestrova;

namespace {

// Quoted dotted names: "LoadData.FileNotFound", "gDraftV.cgvFreeV", "tabs.tabAbout".
const QRegularExpression kKeyLiteral(
    QStringLiteral("\"((?:[A-Z][A-Za-z0-9]*|g[A-Z][A-Za-z0-9]*|tabs)\\.[A-Za-z][A-Za-z0-9_]*(?:\\.[A-Za-z0-9_]+)*)\""));

// Dotted literals that are not language keys.
bool IsNotAKey(const QString& literal) {
    static const QStringList prefixes = {"MainForm.", "Excel.", "Kestrova.", "Qt.", "QT."};
    for (const QString& p : prefixes)
        if (literal.startsWith(p)) return true;
    static const QRegularExpression fileName(
        QStringLiteral("\\.(ini|lng|csv|xls|xlsx|png|bmp|txt|xml|rels|json|exe|tmp)$"), QRegularExpression::CaseInsensitiveOption);
    return fileName.match(literal).hasMatch();
}

// Literal -> first file that uses it.
std::map<QString, QString> KeysInSources() {
    std::map<QString, QString> keys;
    QDirIterator it(kestrova::test::SourceDir() + "/src", {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const auto& match : kKeyLiteral.globalMatch(text)) {
            const QString key = match.captured(1);
            if (!IsNotAKey(key)) keys.emplace(key, path.mid(kestrova::test::SourceDir().size() + 1));
        }
    }
    return keys;
}

TEST(SourceKeys, EveryLiteralKeyIsInEveryLanguageFile) {
    const auto keys = KeysInSources();
    ASSERT_GT(keys.size(), 100u) << "the scan found too few keys; has the source layout changed?";
    for (const char* name : {"English.lng", "Ukrainian.lng", "Russian.lng"}) {
        const TIniFile file(kestrova::test::SourceDir() + "/lang/" + name, true);
        ASSERT_TRUE(file.IsLoaded()) << name;
        QSet<QString> present;
        for (const auto& [section, key] : file.Entries()) present.insert(key.toUpper());
        for (const auto& [key, where] : keys)
            EXPECT_TRUE(present.contains(key.toUpper()))
                << name << " lacks " << key.toStdString() << " (used in " << where.toStdString() << ")";
    }
}

TEST(SourceKeys, ScanRecognisesKeysAndSkipsOtherDottedNames) {
    const QString sample = QStringLiteral(
        "Msg(\"LoadData.FileNotFound\"); Grid(\"gDraftV.cgvFreeV\"); Tab(\"tabs.tabAbout\"); "
        "Sec(\"MainForm.Grids\"); File(\"Kestrova.ini\"); Out(\"result.CSV\"); Prefix(\"gDraftV.\");");
    QStringList found;
    for (const auto& match : kKeyLiteral.globalMatch(sample))
        if (!IsNotAKey(match.captured(1))) found << match.captured(1);
    EXPECT_EQ(found, (QStringList{"LoadData.FileNotFound", "gDraftV.cgvFreeV", "tabs.tabAbout"}));
}

}  // namespace
