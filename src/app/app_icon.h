// The application icon (icon 128) in every size the resources hold.
#pragma once

#include <QIcon>

QIcon AppIcon();
