#include "Accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <algorithm>

#include "LinkLabel.h"

namespace ostrel {
namespace {

// Screen readers on Linux (Orca through AT-SPI) read a list's chosen entry
// through its text, as Qt 6.4 offers no selection there; the readers of
// Windows take its value.
#ifdef Q_OS_WIN
constexpr bool EntryAsText = false;
#else
constexpr bool EntryAsText = true;
#endif

// A list that cannot be typed into: its name is its buddy's caption (or its
// accessible name), its value the chosen entry, which it also offers as a
// read-only text; its child the popup list.
class NamedList final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit NamedList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {
        // Once for each list, however often its interface is made: a change of
        // the entry reaches the reader as the new entry's text (a text update
        // would first be spoken as a deleted selection).
        if (EntryAsText && !list->property(Announced).isValid()) {
            list->setProperty(Announced, true);
            QObject::connect(list, &QComboBox::currentIndexChanged, list, [list] {
                QAccessibleTextInsertEvent inserted(list, 0, list->currentText());
                QAccessible::updateAccessibility(&inserted);
            });
        }
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (EntryAsText && type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) {
            return Entry();
        }
        return QAccessibleWidget::text(type);
    }
    int childCount() const override { return List()->view() != nullptr ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index != 0 || List()->view() == nullptr) {
            return nullptr;
        }
        return QAccessible::queryAccessibleInterface(List()->view());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == List()->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            List()->showPopup();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

    // The entry as a read-only text, wholly selected.
    QString text(int startOffset, int endOffset) const override {
        const QString entry = Entry();
        startOffset = std::clamp(startOffset, 0, static_cast<int>(entry.size()));
        endOffset = std::clamp(endOffset < 0 ? static_cast<int>(entry.size()) : endOffset,
                               startOffset, static_cast<int>(entry.size()));
        return entry.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(Entry().size()); }
    int selectionCount() const override { return 1; }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = selectionIndex == 0 ? characterCount() : 0;
    }
    int cursorPosition() const override { return 0; }
    QRect characterRect(int /*offset*/) const override { return {}; }
    int offsetAtPoint(const QPoint& /*point*/) const override { return -1; }
    QString attributes(int /*offset*/, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
    // Nothing of it can be changed.
    void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
    void removeSelection(int /*selectionIndex*/) override {}
    void setSelection(int /*selectionIndex*/, int /*startOffset*/, int /*endOffset*/) override {}
    void setCursorPosition(int /*position*/) override {}
    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}

private:
    static constexpr const char* Announced = "ostrelAnnouncesEntries";

    QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
    QString Entry() const { return List()->currentText(); }
};

// A plain container, which screen readers pass over; named, it is a group
// that they name as the focus enters it (the pairs of option buttons).
class Container final : public QAccessibleWidget {
public:
    explicit Container(QWidget* container) : QAccessibleWidget(container) {}

    QAccessible::Role role() const override {
        return widget()->accessibleName().isEmpty() ? QAccessible::Client : QAccessible::Grouping;
    }
};

class Link final : public QAccessibleWidget {
public:
    explicit Link(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return static_cast<const LinkLabel*>(widget())->text();
        }
        return QAccessibleWidget::text(type);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<LinkLabel*>(widget())->Activate();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
};

QAccessibleInterface* MakeInterface(const QString& className, QObject* object) {
    if (className == QLatin1String("ostrel::LinkLabel")) {
        return new Link(static_cast<LinkLabel*>(object));
    }
    if (className == QLatin1String("QWidget") &&
        object->metaObject() == &QWidget::staticMetaObject &&
        !static_cast<QWidget*>(object)->isWindow()) {
        return new Container(static_cast<QWidget*>(object));
    }
    if (className == QLatin1String("QComboBox")) {
        auto* list = static_cast<QComboBox*>(object);
        if (!list->isEditable()) {
            return new NamedList(list);
        }
    }
    return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
    QAccessible::installFactory(MakeInterface);  // Qt keeps one entry per factory
}

}  // namespace ostrel
