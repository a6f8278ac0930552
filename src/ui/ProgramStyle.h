#pragma once
// The application's style: the platform's own, with the group box's frame drawn rather than read
// from an image, which the platform style decodes at every start.

class QStyle;

namespace vx {

QStyle* programStyle();

} // namespace vx
