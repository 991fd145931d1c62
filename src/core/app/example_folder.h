// Where the bundled example road lies.
#pragma once

#include <QString>

namespace kestrova {

// The folder of the example road, with a trailing "/": "examples" beside the
// executable (a build tree), else "share/kestrova/examples" of the installation
// whose "lib/kestrova" holds the executable (an installed package). When
// neither exists, "examples" beside the executable.
QString ExampleFolder(const QString& exeFolder);

}  // namespace kestrova
