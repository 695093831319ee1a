#include "views/IgnoreListBox.h"

#include "platform/Twips.h"
#include "views/IgnoreListModel.h"

namespace vexmoor {

IgnoreListBox::IgnoreListBox(const char* name, const IgnoreList& list, const QRect& placeTwips, QWidget* parent)
    : QListView(parent)
    , m_model(new IgnoreListModel(list, this))
{
    setObjectName(QString::fromLatin1(name));
    setGeometry(Twips::toPixels(placeTwips.x(), placeTwips.y(), placeTwips.width(), placeTwips.height(),
                                Twips::logicalDpiOf(*this)));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, Qt::white);
    setPalette(colours);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setModel(m_model);
    hide();
}

void IgnoreListBox::refresh()
{
    m_model->refresh();
}

} // namespace vexmoor
