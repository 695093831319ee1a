#pragma once

class QWidget;
class QString;

namespace vexmoor {

// Places are given for the fonts of the system the windows were drawn on; where the host's font is
// wider, a caption is set a little smaller rather than cut.
class CaptionFit final {
public:
    // Shrinks the widget's font, down to 6 points at most, until the text fits its width less the
    // given margin.
    static void shrinkToFit(QWidget& widget, const QString& text, int margin);
};

} // namespace vexmoor
