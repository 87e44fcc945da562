// The view's scroll sizes through the front-end's services.
#pragma once

namespace edit {

// Sets the scroll sizes for a page of x by y display units (0 keeps the last value) and scrolls
// to the page's top left.
void scroll_view_to_point(float& x, float& y);

}  // namespace edit
