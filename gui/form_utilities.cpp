#include "gui/form_utilities.h"

#include "core/app_error.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/utilities.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <optional>

namespace sarvo {

namespace {

// The sub-window that frames an MDI child (or the sub-window itself); null for other windows.
QMdiSubWindow* subWindowOf(QWidget& widget)
{
    for (QWidget* w = &widget; w; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return sub;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

// The widget whose position is the window's place: the sub-window of an MDI child, else the
// top-level window itself.
QWidget& placedWidget(QWidget& window)
{
    if (QMdiSubWindow* sub = subWindowOf(window))
        return *sub;
    return *window.window();
}

QScreen* screenOf(const QWidget& window)
{
    QScreen* screen = window.screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

// Places of old files were stored in twips and may lie far beyond today's screens; others were
// stored on a screen larger than today's.
void bringBackIntoView(QWidget& placed)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(&placed)) {
        QMdiArea* area = sub->mdiArea();
        if (!area || sub->geometry().intersects(area->viewport()->rect()))
            return;
        sub->move(0, 0);
        return;
    }
    const QRect place = placed.frameGeometry();
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestOverlap = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect overlap = screen->availableGeometry().intersected(place);
        const qint64 size = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        if (size > bestOverlap) {
            bestOverlap = size;
            best = screen;
        }
    }
    if (!best)
        return;
    const QRect clamped = ClampToArea(place, best->availableGeometry());
    if (clamped == place)
        return;
    // The frame is placed, the client area sized: the frame's margins stay as they are.
    placed.resize(placed.width() - (place.width() - clamped.width()),
                  placed.height() - (place.height() - clamped.height()));
    placed.move(clamped.topLeft());
}

QString placeKey(const QWidget& window, const QString& placeName, const char* part)
{
    return (placeName.isEmpty() ? window.windowTitle() : placeName) + u' ' + QLatin1String(part);
}

} // namespace

QRect ClampToArea(const QRect& place, const QRect& area)
{
    const int width = std::min(place.width(), area.width());
    const int height = std::min(place.height(), area.height());
    const int x = std::clamp(place.x(), area.x(), area.x() + area.width() - width);
    const int y = std::clamp(place.y(), area.y(), area.y() + area.height() - height);
    return QRect(x, y, width, height);
}

namespace {

void centreNow(QWidget& window)
{
    if (QMdiSubWindow* sub = subWindowOf(window)) {
        QMdiArea* area = sub->mdiArea();
        if (!area)
            return;
        const QSize client = area->viewport()->size();
        // A child larger than the client area keeps its title bar reachable.
        sub->move(std::max(0, (client.width() - sub->width()) / 2),
                  std::max(0, (client.height() - sub->height()) / 2));
        return;
    }
    QWidget* top = window.window();
    const QScreen* screen = screenOf(*top);
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize size = top->frameGeometry().size();
    top->move(available.x() + std::max(0, (available.width() - size.width()) / 2),
              available.y() + std::max(0, (available.height() - size.height()) / 2));
}

// Centres the window once more on its first show: the layout, the translated captions and any
// resize after the first centring have given it its final size by then.
class CentreWhenShown : public QObject {
public:
    CentreWhenShown(QWidget& watched, QWidget& window) : QObject(&watched), window_(&window)
    {
        setObjectName(QStringLiteral("CentreWhenShown"));
        watched.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            watched->removeEventFilter(this);
            if (window_)
                centreNow(*window_);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
};

} // namespace

void CenterForm(QWidget& window)
{
    centreNow(window);
    QWidget& placed = placedWidget(window);
    if (!placed.isVisible() && !placed.findChild<CentreWhenShown*>(QStringLiteral("CentreWhenShown"), Qt::FindDirectChildrenOnly))
        new CentreWhenShown(placed, window);
}

void CenterForm(QWidget& window, const QWidget& over)
{
    QWidget* top = window.window();
    const QWidget* owner = over.window();
    QRect place(QPoint(), top->frameGeometry().size());
    place.moveCenter(owner->frameGeometry().center());
    if (const QScreen* screen = screenOf(*owner))
        place = ClampToArea(place, screen->availableGeometry());
    top->move(place.topLeft());
}

void LoadFormPlace(QWidget& window, const QString& iniFile, const QString& placeName)
{
    const QString location = QStringLiteral("Reading the position of form");
    const IniFile ini(iniFile);
    const QString section = Translate(QStringLiteral("Places"));
    QWidget& placed = placedWidget(window);

    // A stored value must be a whole number that fits the old 16-bit field.
    auto read = [&](const char* part, int defaultValue) -> std::optional<int> {
        const QString text = ini.get(section, placeKey(window, placeName, part), QString::number(defaultValue)).trimmed();
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok);
        if (ok && value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max())
            return int(value);
        static const QRegularExpression wholeNumber(QStringLiteral(R"(^[+-]?[0-9]+$)"));
        ReportError(location, wholeNumber.match(text).hasMatch() ? AppError::overflow() : AppError::typeMismatch());
        return std::nullopt;
    };

    [&] {
        const auto top = read("top", 0);
        if (!top)
            return;
        placed.move(placed.x(), *top);
        const auto left = read("left", 0);
        if (!left)
            return;
        placed.move(*left, placed.y());
        const auto height = read("height", placed.height());
        if (!height)
            return;
        placed.resize(placed.width(), *height);
        const auto width = read("width", placed.width());
        if (!width)
            return;
        placed.resize(*width, placed.height());
    }();
    bringBackIntoView(placed);
}

namespace {

// Sets the owner as the window's transient parent each time the window shows (a native window
// made anew takes none of its own).
class KeptAbove : public QObject {
public:
    KeptAbove(QWidget& window, QWidget& owner) : QObject(&window), owner_(&owner)
    {
        setObjectName(QStringLiteral("KeptAbove"));
        window.installEventFilter(this);
        apply(window);
    }
    void setOwner(QWidget& owner) { owner_ = &owner; }
    void apply(QWidget& window)
    {
        if (!owner_ || !window.windowHandle())
            return;
        QWidget* top = owner_->window();
        top->winId(); // the owner's native window, should it have none yet
        window.windowHandle()->setTransientParent(top->windowHandle());
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent())
            apply(static_cast<QWidget&>(*watched));
        return false;
    }

private:
    QPointer<QWidget> owner_;
};

// The windows in the order they were last shown or activated, the latest at the end.
class RecentWindows : public QObject {
public:
    explicit RecentWindows(QObject* parent) : QObject(parent) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && canOwn(*widget)) {
                windows_.removeIf([widget](const QPointer<QWidget>& w) { return !w || w == widget; });
                windows_.append(widget);
            }
        }
        return false;
    }
    QWidget* latest() const
    {
        for (auto w = windows_.crbegin(); w != windows_.crend(); ++w) {
            if (*w && (*w)->isVisible() && !(*w)->isMinimized())
                return *w;
        }
        return nullptr;
    }
    static bool canOwn(const QWidget& window)
    {
        // Menus, tips and the splash window come and go by themselves.
        const Qt::WindowType type = window.windowType();
        return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen && type != Qt::Desktop;
    }

private:
    QList<QPointer<QWidget>> windows_;
};

QPointer<RecentWindows>& recentWindows()
{
    static QPointer<RecentWindows> watcher;
    return watcher;
}

// True when window stays in front of owner: it is owner, or its transient parent is owner or a
// window in front of owner.
bool inFrontOf(const QWidget& window, const QWidget& owner)
{
    const QWindow* target = owner.windowHandle();
    for (const QWindow* w = window.windowHandle(); w && target; w = w->transientParent()) {
        if (w == target)
            return true;
    }
    return &window == &owner;
}

QPointer<QWidget>& namedRaiser()
{
    static QPointer<QWidget> raiser;
    return raiser;
}

} // namespace

void PlaceBeside(QWidget& window, const QWidget& other)
{
    const QRect beside = other.window()->frameGeometry();
    const QScreen* screen = other.window()->screen() ? other.window()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : beside;
    // The frame's own size where it has one already, else the inside's.
    const QSize size = window.frameGeometry().size().expandedTo(window.size());
    QRect place(QPoint(beside.right() + 1, beside.top()), size);
    // Where neither side has room, the side with more.
    if (place.right() > area.right() && beside.left() - area.left() > area.right() - beside.right())
        place.moveRight(beside.left() - 1);
    place = ClampToArea(place, area);
    window.move(place.topLeft());
}

void KeepAbove(QWidget& window, QWidget& owner)
{
    QWidget* top = window.window();
    // The window manager keeps only dialogs above their owner; a normal window becomes one and
    // keeps its buttons.
    if (top->windowType() == Qt::Window)
        top->setWindowFlags((top->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    if (auto* kept = top->findChild<KeptAbove*>(QStringLiteral("KeptAbove"), Qt::FindDirectChildrenOnly)) {
        kept->setOwner(owner);
        kept->apply(*top);
        return;
    }
    new KeptAbove(*top, owner);
}

void WatchRaisingWindows()
{
    if (recentWindows() || !qApp)
        return;
    recentWindows() = new RecentWindows(qApp);
    qApp->installEventFilter(recentWindows());
}

QWidget* RaisingWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        return modal;
    QWidget* latest = recentWindows() ? recentWindows()->latest() : nullptr;
    // The named raiser, unless the window last used is one it keeps in front of itself (its save
    // window): the keyboard comes back to the window in use.
    if (QWidget* raiser = namedRaiser() ? namedRaiser()->window() : nullptr;
        raiser && raiser->isVisible() && !raiser->isMinimized())
        return latest && inFrontOf(*latest, *raiser) ? latest : raiser;
    if (latest)
        return latest;
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() && RecentWindows::canOwn(*active) ? active : nullptr;
}

void KeepKeyboardInAWindow()
{
    if (!qApp)
        return;
    QTimer::singleShot(0, qApp, [] {
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
            return;
        // A window just closed may still count as active until the window system says otherwise.
        QWidget* const active = QApplication::activeWindow() && QApplication::activeWindow()->isVisible()
                                    ? QApplication::activeWindow()
                                    : nullptr;
        // An active window with a control of its own to type into keeps the keyboard.
        if (active && QApplication::focusWidget())
            return;
        QWidget* target = active ? active : RaisingWindow();
        const auto usable = [](const QWidget* w) { return w && w->isVisible() && !w->isMinimized(); };
        if (!usable(target)) {
            target = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (usable(top) && top->windowType() == Qt::Window) {
                    target = top;
                    break;
                }
            }
        }
        if (!target)
            return;
        target = target->window();
        if (!active) {
            target->raise();
            target->activateWindow();
        }
        if (auto* area = target->findChild<QMdiArea*>(); area && !area->activeSubWindow()) {
            const QList<QMdiSubWindow*> children = area->subWindowList(QMdiArea::StackingOrder);
            for (auto child = children.crbegin(); child != children.crend(); ++child) {
                if ((*child)->isVisible()) {
                    area->setActiveSubWindow(*child);
                    break;
                }
            }
        }
    });
}

RaisedBy::RaisedBy(QWidget& window) : previous_(namedRaiser())
{
    namedRaiser() = &window;
}

RaisedBy::~RaisedBy()
{
    namedRaiser() = previous_;
}

void MakeEditable(QComboBox& combo)
{
    combo.setEditable(true);
    combo.setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would turn a typed "1" into the entry "10.0" when the focus leaves.
    combo.setCompleter(nullptr);
}

bool HasStoredPlace(const QWidget& window, const QString& iniFile, const QString& placeName)
{
    IniDocument ini;
    return ini.load(iniFile) == IniDocument::LoadStatus::Loaded
        && ini.value(Translate(QStringLiteral("Places")), placeKey(window, placeName, "top")).has_value();
}

void SaveFormPlace(const QWidget& window, const QString& iniFile, const QString& placeName)
{
    QWidget& placed = placedWidget(const_cast<QWidget&>(window));
    if (placed.isMinimized() || placed.isMaximized())
        return;
    const IniFile ini(iniFile);
    const QString section = Translate(QStringLiteral("Places"));
    const std::pair<const char*, int> values[] = {
        {"top", placed.y()}, {"left", placed.x()}, {"height", placed.height()}, {"width", placed.width()}};
    for (const auto& [part, value] : values) {
        if (!ini.set(section, placeKey(window, placeName, part), QString::number(value))) {
            ReportError(QStringLiteral("Writing the position of form"),
                        AppError::standard(AppError::kPathFileAccess));
            return;
        }
    }
}

void ListSelectText(QWidget& listOrCombo, const QString& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(&listOrCombo)) {
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i) == text) {
                combo->setCurrentIndex(i);
                return;
            }
        }
    } else if (auto* list = qobject_cast<QListWidget*>(&listOrCombo)) {
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text() == text) {
                list->setCurrentRow(i);
                return;
            }
        }
    }
}

namespace {
// QWidget::focusNextChild is protected; a member pointer taken through a derived class reaches it
// for any widget without an ill-formed cast.
struct FocusAccess : QWidget {
    using QWidget::focusNextChild;
};
} // namespace

void LetTabLeave(QAbstractItemView& view)
{
    view.setTabKeyNavigation(false);
}

void EnterAsTab(int& keyCode, QWidget& window)
{
    constexpr int kOldEnterCode = 13;
    if (keyCode != Qt::Key_Return && keyCode != Qt::Key_Enter && keyCode != kOldEnterCode)
        return;
    QWidget* from = QApplication::focusWidget();
    if (!from || (from != &window && !window.isAncestorOf(from)))
        from = window.focusWidget() ? window.focusWidget() : &window;
    bool (QWidget::*next)() = &FocusAccess::focusNextChild;
    (from->*next)();
    keyCode = 0;
}

void SetPrinterFont(QFont& printerFont)
{
    if (const std::optional<QString> family = PrinterFontFamily(QFontDatabase::families()))
        printerFont.setFamily(*family);
}

} // namespace sarvo
