#pragma once

#include <QFont>

class QWidget;

namespace vexmoor {

// The faces the windows were designed with. Tahoma and MS Sans Serif are rarely installed outside
// Windows; a plain sans-serif face takes their place there.
class DesignedFont final {
public:
    static QFont tahoma(double points, bool bold);
    static QFont msSansSerif(double points, bool bold);
    // The widget's own face at another size, bold or not.
    static QFont sized(const QWidget& widget, double points, bool bold);

private:
    static QFont sansSerif(const QString& family, double points, bool bold);
};

} // namespace vexmoor
