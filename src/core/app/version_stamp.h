// The developer's build counter: the version source file next to the
// executable holds the current version, the version at the last stamp and the
// executable's time stamp; each new build of the executable raises the build
// number by one.
//
// The file as written, three lines:
//   Const  c_ProgVersion='v.1.4.20';
//   // Const  c_ProgVersion='v.1.4.20';
//   // FileAge = 1765180800
// The time stamp is the executable's modification time in seconds since 1970.
#pragma once

#include <QString>

namespace kestrova {

// Stamps the file for the running executable. Reports nothing: a missing,
// unreadable or unwritable file leaves everything as it was. The rewrite
// replaces the file in one step.
void StampVersion(const QString& versionFile, const QString& constantName);

// The same with the executable's time stamp given (-1 when unknown).
void StampVersion(const QString& versionFile, const QString& constantName, qint64 exeTimeStamp);

// Modification time of the running executable in seconds since 1970, -1 when unknown.
qint64 ExecutableTimeStamp();

}  // namespace kestrova
