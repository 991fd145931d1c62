// The application's icon for the window and the task bar.
#pragma once

#include <QIcon>

namespace kestrova {

// The icon in its sizes from the resources (the installed menu entry uses the
// same pictures from the icon theme).
QIcon ApplicationIcon();

// Sets the icon and the desktop entry name ("kestrova") of the running
// application, so that the desktop matches its windows to the menu entry.
void SetApplicationIdentity();

}  // namespace kestrova
