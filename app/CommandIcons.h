// The program's own tool-bar images (16 x 16) and its application icon, drawn for this project.
#pragma once

#include <QIcon>

#include <cstdint>

// The image of a tool-bar command; a null icon for a command without one.
QIcon CommandIcon(uint32_t commandId);
// Icon 110: the application's icon, in several sizes.
QIcon ApplicationIcon();
