#include "display/ui/tree_window.h"

#include "core/utilities.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo::display {

TreeWindow::TreeWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog)
    , wait_(new QLabel(QStringLiteral("Wait for the Fault tree program startup, please...")))
    , search_(new QLabel(QStringLiteral("Sarvotrenk is searching for the Fault tree program. This might take couple of "
                                        "minutes, please wait...")))
    , notFound_(new QLabel(QStringLiteral("Sarvotrenk can not find the Fault tree program. Please contact your "
                                          "Sarvotrenk distributor to purchase this software.")))
    , close_(new QPushButton(QStringLiteral("&Close")))
{
    setObjectName(QStringLiteral("frmTree"));
    setWindowTitle(QStringLiteral("Fault tree start-up"));
    setAttribute(Qt::WA_DeleteOnClose);
    wait_->setObjectName(QStringLiteral("lblWait"));
    search_->setObjectName(QStringLiteral("lblSearch"));
    notFound_->setObjectName(QStringLiteral("lblNo"));
    close_->setObjectName(QStringLiteral("CmdCancel"));
    auto* layout = new QVBoxLayout(this);
    for (QLabel* notice : {wait_, search_, notFound_}) {
        notice->setWordWrap(true);
        layout->addWidget(notice);
    }
    layout->addWidget(close_, 0, Qt::AlignRight);
    search_->hide();
    notFound_->hide();
    close_->hide();
    connect(close_, &QPushButton::clicked, this, [this] {
        if (search_->isVisible())
            abort_ = true;
        else
            close();
    });
    resize(360, 140);
    CenterForm(*this);
    TranslateForm(*this);
}

void TreeWindow::showSearch()
{
    abort_ = false;
    search_->show();
    close_->show();
}

void TreeWindow::showNotFound()
{
    search_->hide();
    wait_->hide();
    notFound_->show();
    close_->show();
    raise();
}

void TreeWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TreeWindow::closeEvent(QCloseEvent* event)
{
    Q_EMIT closed();
    QWidget::closeEvent(event);
}

bool StartDetachedProgram(const QString& path)
{
    return QProcess::startDetached(path, {}, QFileInfo(path).absolutePath());
}

namespace {

// The notices in "frmTree", made anew for every attempt as the old window was; each one's close
// enables the results window again.
class WindowFaultTreeHost : public FaultTreeHost {
public:
    WindowFaultTreeHost(QWidget& results, QString appPath) : results_(results), appPath_(std::move(appPath)) {}

    bool startProgram(const QString& path) override { return StartDetachedProgram(path); }

    QString findProgram(const QString& programName) override
    {
        return FindFileOnDrives([&](const QFileInfo& file) { return IsFaultTreeProgram(file, programName); }, appPath_,
                                [this] {
                                    QCoreApplication::processEvents();
                                    return !notice_ || notice_->abortRequested();
                                });
    }

    void showWait() override
    {
        results_.setEnabled(false);
        if (!notice_) {
            notice_ = new TreeWindow(&results_);
            QObject::connect(notice_, &TreeWindow::closed, &results_, [results = &results_] { results->setEnabled(true); });
        }
        notice_->show();
    }
    void showSearch() override
    {
        showWait();
        notice_->showSearch();
        // The search runs at once: the notice is painted first.
        QCoreApplication::processEvents();
    }
    void showNotFound() override
    {
        if (notice_)
            notice_->showNotFound();
    }
    void closeNotice() override
    {
        if (notice_)
            notice_->close();
        notice_.clear();
    }

private:
    QWidget& results_;
    QString appPath_;
    QPointer<TreeWindow> notice_;
};

// One hand-over in the results window, gone with it.
class FaultTreeRun : public QObject {
public:
    FaultTreeRun(QWidget& results, const QString& jumpKey, const QString& programPath, const QString& appPath,
                 std::unique_ptr<FaultTreeLink> link, std::function<void(const QString&)> keepPath,
                 std::chrono::milliseconds startWait)
        : QObject(&results)
        , results_(results)
        , keepPath_(std::move(keepPath))
        , host_(results, appPath)
        , handOver_(jumpKey, programPath, std::move(link), host_, startWait,
                    [this](const FaultTreeResult& result) { finished(result); })
    {
        setObjectName(QLatin1String(kRunName));
    }

    void start() { handOver_.start(); }

    static constexpr const char* kRunName = "faultTreeHandOver";

private:
    void finished(const FaultTreeResult& result)
    {
        if (keepPath_)
            keepPath_(result.programPath);
        if (result.ending != FaultTreeResult::Ending::NotFound)
            results_.setEnabled(true);
        // The report's box runs events of its own: nothing of the run is touched after it.
        const Outcome outcome = result.outcome;
        deleteLater();
        ReportOutcome(outcome);
    }

    QWidget& results_;
    std::function<void(const QString&)> keepPath_;
    WindowFaultTreeHost host_;
    FaultTreeHandOver handOver_;
};

FaultTreeRun* RunningHandOver(const QWidget& resultsWindow)
{
    // Only a run carries the name among the window's own children.
    return static_cast<FaultTreeRun*>(
        resultsWindow.findChild<QObject*>(QLatin1String(FaultTreeRun::kRunName), Qt::FindDirectChildrenOnly));
}

} // namespace

void StartFaultTree(QWidget& resultsWindow, const QString& jumpKey, const QString& programPath, const QString& appPath,
                    std::unique_ptr<FaultTreeLink> link, std::function<void(const QString& path)> keepPath,
                    std::chrono::milliseconds startWait)
{
    if (RunningHandOver(resultsWindow))
        return;
    auto* run = new FaultTreeRun(resultsWindow, jumpKey, programPath, appPath, std::move(link), std::move(keepPath),
                                 startWait);
    run->start();
}

bool FaultTreeRunning(const QWidget& resultsWindow)
{
    return RunningHandOver(resultsWindow) != nullptr;
}

} // namespace sarvo::display
