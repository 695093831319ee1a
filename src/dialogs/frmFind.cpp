#include "dialogs/frmFind.h"

#include "capture/record/MessageTable.h"
#include "platform/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vexmoor {

frmFind::frmFind(const MessageTable& table, RowSelector selectRow, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_table(table)
    , m_selectRow(std::move(selectRow))
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find a CAN-ID"));
    setAttribute(Qt::WA_DeleteOnClose);
    const double dpi = Twips::logicalDpiOf(*this);

    auto* frame = new QGroupBox(QStringLiteral("Find CAN-ID"), this);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setGeometry(Twips::toPixels(120, 120, 5415, 975, dpi));
    auto* label = new QLabel(frame);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(Twips::toPixels(120, 240, 2535, 255, dpi));
    m_canIdBox = new QLineEdit(frame);
    m_canIdBox->setObjectName(QStringLiteral("Text1"));
    m_canIdBox->setGeometry(Twips::toPixels(120, 360, 3375, 285, dpi));
    auto* searchButton = new QPushButton(QStringLiteral("Search"), frame);
    searchButton->setObjectName(QStringLiteral("Command1"));
    searchButton->setGeometry(Twips::toPixels(4080, 240, 1215, 495, dpi));
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("Command3"));
    closeButton->setGeometry(Twips::toPixels(3240, 1200, 2295, 495, dpi));
    resize(Twips::toPixels(5640, dpi), Twips::toPixels(1815, dpi));

    setTabOrder(searchButton, m_canIdBox);
    setTabOrder(m_canIdBox, closeButton);
    searchButton->setFocus();

    connect(searchButton, &QPushButton::clicked, this, &frmFind::search);
    connect(closeButton, &QPushButton::clicked, this, &frmFind::close);
}

void frmFind::search()
{
    const QString wanted = m_canIdBox->text().toUpper();
    const int rowCount = m_table.rowCount();
    for (int position = 1; position <= rowCount; ++position) {
        if (QString::fromLatin1(m_table.canId(position)).toUpper() == wanted) {
            m_selectRow(position);
            close();
            return;
        }
    }
}

} // namespace vexmoor
