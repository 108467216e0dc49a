// A visual-style engine backed by the application's QStyle: the theme
// classes the painters use (Button, ComboBox, Edit, ExplorerBar, Header,
// ListView, ScrollBar, Tab, ToolBar, TrackBar, TreeView, Window) draw their
// parts as the style draws the matching widget parts, colours come from the
// application's palette, and part sizes from the style's metrics. Its theme
// name is the style's name with ".qstyle", so no Luna colour scheme is ever
// reported through it.
#pragma once

#include <memory>

#include "lookandfeel/ux_theme.h"

namespace kelmo::le {

std::unique_ptr<UxThemeApi> CreateQStyleTheme();

}  // namespace kelmo::le
