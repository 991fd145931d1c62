// Small helpers shared by the test programs.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#endif

namespace kestrova::test {

inline QString SourceDir() { return QStringLiteral(KESTROVA_SOURCE_DIR); }
inline QString TestData(const QString& name) { return QStringLiteral(KESTROVA_TEST_DATA) + QLatin1Char('/') + name; }
inline QString BinDir() { return QStringLiteral(KESTROVA_BIN_DIR); }

// A fixed, portable sequence of numbers in [0, 1) for randomised tests
// (xorshift), the same on every machine and run.
class tRandom {
public:
    explicit tRandom(uint64_t seed) : State(seed ? seed : 1) {}
    double operator()() {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return static_cast<double>(State >> 11) / 9007199254740992.0;
    }

private:
    uint64_t State;
};

#if defined(Q_OS_UNIX)
// A disk that holds only `bytes` more per file for as long as it lives: a
// file-size limit of this process (SIGXFSZ ignored, so writes past it fail
// with an error). Works as root too.
class tFullDisk {
public:
    explicit tFullDisk(rlim_t bytes) {
        Ok = getrlimit(RLIMIT_FSIZE, &Old) == 0;
        Handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = Old;
        limit.rlim_cur = bytes;
        Ok = Ok && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~tFullDisk() {
        setrlimit(RLIMIT_FSIZE, &Old);
        std::signal(SIGXFSZ, Handler);
    }
    tFullDisk(const tFullDisk&) = delete;
    tFullDisk& operator=(const tFullDisk&) = delete;
    bool Ok = false;

private:
    rlimit Old{};
    void (*Handler)(int) = nullptr;
};
#endif

// A parameterised case's description as a test name (letters, digits and
// "_" only): each word capitalised and joined, with "=", "+" and "[" spoken:
// "blanks around =" gives "BlanksAroundEquals". Words that hold "_" keep it;
// a dot after a digit becomes "_".
inline std::string ReadableTestName(std::string_view text) {
    std::string name;
    bool wordStart = true;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        const char* spoken = c == '=' ? "Equals" : c == '+' ? "Plus" : c == '[' ? "Brackets" : nullptr;
        if (c == '.' && !name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) {
            name += '_';  // "1.0.0" gives "1_0_0"
            wordStart = false;
        } else if (spoken) {
            name += spoken;
            wordStart = true;
        } else if (std::isalnum(u) || c == '_') {
            name += wordStart ? char(std::toupper(u)) : c;
            wordStart = false;
        } else {
            wordStart = true;
        }
    }
    return name.empty() ? std::string("Unnamed") : name;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

// One run of kestrova-batch: its exit code (-1 when it did not end in time or
// crashed) and what it wrote to standard output and standard error.
struct tBatchRun {
    int Exit = -1;
    QString Out;
    QString Err;
};

// Runs `kestrova-batch command args...` from the build's program folder and waits for it.
inline tBatchRun RunBatch(const QString& command, const QStringList& args, int timeoutMs = 120000) {
    QProcess p;
    p.start(BinDir() + QStringLiteral("/kestrova-batch"), QStringList{command} + args);
    tBatchRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    if (p.exitStatus() == QProcess::NormalExit) r.Exit = p.exitCode();
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

}  // namespace kestrova::test
