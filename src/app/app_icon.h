// The application icon (icon 128) in every size the resources hold, each decoded on first use.
#pragma once

#include <QIcon>

QIcon AppIcon();
