#pragma once

#include <QListView>

namespace vexmoor {

class IgnoreList;
class IgnoreListModel;

// List1 or List2: an ignore list shown in white on black over the table, hidden until the user shows
// it. Its entries arrive with records as well as with commands, so it learns of them on refresh.
class IgnoreListBox final : public QListView {
    Q_OBJECT

public:
    // The place is the designed one, in twips.
    IgnoreListBox(const char* name, const IgnoreList& list, const QRect& placeTwips, QWidget* parent);
    Q_DISABLE_COPY_MOVE(IgnoreListBox)

    void refresh();

private:
    IgnoreListModel* m_model;
};

} // namespace vexmoor
