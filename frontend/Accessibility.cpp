#include "Accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

#include "LinkLabel.h"

namespace ostrel {
namespace {

// A list that cannot be typed into: its name is its buddy's caption (or its
// accessible name), its value the chosen entry, its child the popup list.
class NamedList final : public QAccessibleWidget {
public:
    explicit NamedList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) {
            return List()->currentText();
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

private:
    QComboBox* List() const { return static_cast<QComboBox*>(widget()); }
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
