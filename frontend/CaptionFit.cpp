#include "CaptionFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <algorithm>
#include <optional>
#include <tuple>

namespace ostrel {
namespace {

// Where a control stood and how it was written before it was first fitted.
constexpr const char* DesignPlace = "ostrelDesignPlace";
constexpr const char* DesignFont = "ostrelDesignFont";
constexpr const char* FrameMoved = "ostrelFrameMoved";

// Below this a caption is no longer worth shrinking: it would not be read.
constexpr qreal SmallestPoints = 6.0;
constexpr qreal PointStep = 0.25;
// Between a grown caption and the control beside it.
constexpr int Gap = 3;

bool ExplicitlyHidden(const QWidget* widget) {
    return widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

int TextFlags(const QLabel* label) {
    int flags = static_cast<int>(label->alignment());
    if (label->wordWrap()) {
        flags |= Qt::TextWordWrap;
    }
    if (label->buddy() != nullptr) {
        flags |= Qt::TextShowMnemonic;
    }
    return flags;
}

// The size the control's box needs for its caption in its present font, at
// its present width where text wraps; nothing for a control without one.
std::optional<QSize> Wanted(const QWidget* control) {
    const QFontMetrics metrics(control->font());
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) {
            return std::nullopt;
        }
        const QRect area = label->contentsRect();
        const QRect text = metrics.boundingRect(area, TextFlags(label), label->text());
        return label->size() + QSize(std::max(0, text.width() - area.width()),
                                     std::max(0, text.height() - area.height()));
    }
    if (qobject_cast<const QCheckBox*>(control) != nullptr ||
        qobject_cast<const QRadioButton*>(control) != nullptr) {
        return control->sizeHint();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (button->autoDefault()) {
            option.features |= QStyleOptionButton::AutoDefaultButton;
        }
        const QRect inside =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QSize text = metrics.size(Qt::TextShowMnemonic, button->text());
        return button->size() + QSize(std::max(0, text.width() - inside.width()),
                                      std::max(0, text.height() - inside.height()));
    }
    if (const auto* list = qobject_cast<const QComboBox*>(control)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field =
            list->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list)
                .adjusted(1, 0, -1, 0);  // as the entry is drawn
        int widest = 0;
        for (int i = 0; i < list->count(); ++i) {
            widest = std::max(widest, metrics.horizontalAdvance(list->itemText(i)));
        }
        return list->size() + QSize(std::max(0, widest - field.width()),
                                    std::max(0, metrics.height() - field.height()));
    }
    return std::nullopt;
}

bool Fits(const QWidget* control) {
    const std::optional<QSize> wanted = Wanted(control);
    return !wanted ||
           (wanted->width() <= control->width() && wanted->height() <= control->height());
}

// The free room around `box` in its container: up to the next control beside
// it, above and below it, and within the container's inside (a frame's inside
// lies within its border and below its title). Controls that overlap the box
// already (as the designed option groups do) do not count.
QRect Room(const QWidget* control, const QRect& box) {
    const QWidget* container = control->parentWidget();
    QRect room = container->contentsRect();
    if (container->isWindow()) {
        room.adjust(Gap, Gap, -Gap, -Gap);  // off the window's edge
    }
    // The controls beside it, in the container's terms: the container's own
    // and, for a borderless group lying over its neighbours (an option group
    // over the check boxes above and below it), those neighbours too.
    QList<QRect> places;
    const auto addPlacesIn = [&](const QWidget* holder) {
        for (const QObject* child : holder->children()) {
            const auto* other = qobject_cast<const QWidget*>(child);
            if (other == nullptr || other == control || other == container || other->isWindow() ||
                ExplicitlyHidden(other)) {
                continue;
            }
            places << QRect(container->mapFrom(holder, other->pos()), other->size());
        }
    };
    addPlacesIn(container);
    if (!container->isWindow() && container->metaObject() == &QWidget::staticMetaObject &&
        container->parentWidget() != nullptr) {
        addPlacesIn(container->parentWidget());
    }
    for (const QRect& place : places) {
        if (place.intersects(box)) {
            continue;
        }
        const bool sameRow = place.top() <= box.bottom() && place.bottom() >= box.top();
        const bool sameColumn = place.left() <= box.right() && place.right() >= box.left();
        if (sameRow && place.left() > box.right()) {
            room.setRight(std::min(room.right(), place.left() - Gap));
        }
        if (sameColumn && place.top() > box.bottom()) {
            room.setBottom(std::min(room.bottom(), place.top() - 1));
        }
        if (sameColumn && place.bottom() < box.top()) {
            room.setTop(std::max(room.top(), place.bottom() + 1));
        }
    }
    return room;
}

// Takes free room for the wanted size: to the right, then downwards (a label,
// whose text stands at its top) or evenly up and down (a button, whose
// caption and indicator stand in its middle).
void Grow(QWidget* control, const QSize& wanted) {
    QRect box = control->geometry();
    if (wanted.width() > box.width()) {
        const int right = std::max(box.right(), Room(control, box).right());
        box.setRight(std::min(box.left() + wanted.width() - 1, right));
    }
    if (wanted.height() > box.height()) {
        const QRect room = Room(control, box);
        const int extra = wanted.height() - box.height();
        const int below = std::max(0, room.bottom() - box.bottom());
        const int above = std::max(0, box.top() - room.top());
        int down = std::min(extra, below);
        int up = 0;
        if (qobject_cast<const QLabel*>(control) == nullptr) {
            up = std::min(above, extra / 2);
            down = std::min(below, extra - up);
            up = std::min(above, extra - down);
        }
        box.adjust(0, -up, 0, down);
    }
    control->setGeometry(box);
}

// The design places a frame's controls right below a title of the design's
// font; the frame's border and title, drawn in the font the frame got, can
// reach lower. The controls then move down into the frame's inside, and what
// would then cross its bottom border gives up height: an option group the
// room below its buttons, a label the room below its text (it is fitted
// afterwards). Where a control still crosses it (a list, a button), the
// title is drawn smaller until the controls fit; they keep their fonts.
void ClearFrameTitle(QGroupBox* frame) {
    if (frame->property(FrameMoved).isValid()) {
        return;
    }
    frame->setProperty(FrameMoved, true);
    QList<QWidget*> controls;
    QList<QRect> designed;
    for (QObject* child : frame->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control == nullptr || control->isWindow() || ExplicitlyHidden(control)) {
            continue;
        }
        controls << control;
        designed << control->geometry();
    }
    if (controls.isEmpty()) {
        return;
    }
    const int top =
        std::min_element(designed.begin(), designed.end(), [](const QRect& a, const QRect& b) {
            return a.top() < b.top();
        })->top();
    // Places the controls below the title; tells whether all of them fit.
    const auto placeAll = [&] {
        const QRect inside = frame->contentsRect();
        const int shift = std::max(0, inside.top() - top);
        bool fit = true;
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QWidget* control = controls[i];
            QRect at = designed[i].translated(0, shift);
            const bool givesHeight = qobject_cast<QLabel*>(control) != nullptr ||
                                     control->metaObject() == &QWidget::staticMetaObject;
            if (at.bottom() > inside.bottom() && givesHeight) {
                int lowest = at.top();  // of what the control holds
                for (const QWidget* held :
                     control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    lowest = std::max(lowest, at.top() + held->geometry().bottom());
                }
                at.setBottom(std::max(inside.bottom(), lowest));
            }
            fit = fit && at.bottom() <= inside.bottom();
            control->setGeometry(at);
            if (control->property(DesignPlace).isValid()) {
                control->setProperty(DesignPlace, at);
            }
        }
        return fit;
    };
    if (placeAll()) {
        return;
    }
    for (QWidget* control : controls) {
        control->setFont(control->font());  // its own from now on, not the frame's
    }
    QFont title = frame->font();
    while (title.pointSizeF() - PointStep >= SmallestPoints) {
        title.setPointSizeF(title.pointSizeF() - PointStep);
        frame->setFont(title);
        if (placeAll()) {
            return;
        }
    }
}

}  // namespace

void FitCaption(QWidget* control) {
    control->ensurePolished();
    if (!Wanted(control)) {
        return;
    }
    const QVariant place = control->property(DesignPlace);
    if (place.isValid()) {
        control->setGeometry(place.toRect());
        control->setFont(control->property(DesignFont).value<QFont>());
    } else {
        control->setProperty(DesignPlace, control->geometry());
        control->setProperty(DesignFont, control->font());
    }
    if (Fits(control)) {
        return;
    }
    // A list lines up with the boxes above and below it; only its font gives.
    if (qobject_cast<const QComboBox*>(control) == nullptr) {
        Grow(control, *Wanted(control));
    }
    QFont font = control->font();
    while (!Fits(control) && font.pointSizeF() - PointStep >= SmallestPoints) {
        font.setPointSizeF(font.pointSizeF() - PointStep);
        control->setFont(font);
    }
}

void FitCaptions(QWidget* window) {
    // Measured in the fonts the controls are drawn in: a style sheet's apply
    // once they are polished.
    window->ensurePolished();
    for (QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        ClearFrameTitle(frame);
    }
    QList<QWidget*> fitted;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!ExplicitlyHidden(control) && control->parentWidget()->layout() == nullptr &&
            Wanted(control)) {
            FitCaption(control);
            fitted << control;
        }
    }
    // Controls of one kind and design font side by side (the captions of a
    // column, the lists of a frame, the check boxes) keep one size: the
    // smallest any of them needed.
    const auto kind = [](const QWidget* control) {
        const auto* label = qobject_cast<const QLabel*>(control);
        return std::make_tuple(control->parentWidget(), control->metaObject(),
                               label != nullptr && label->wordWrap(),
                               control->property(DesignFont).value<QFont>());
    };
    for (QWidget* control : fitted) {
        for (const QWidget* other : fitted) {
            if (kind(other) == kind(control) &&
                other->font().pointSizeF() < control->font().pointSizeF()) {
                QFont smaller = control->font();
                smaller.setPointSizeF(other->font().pointSizeF());
                control->setFont(smaller);
            }
        }
    }
}

}  // namespace ostrel
