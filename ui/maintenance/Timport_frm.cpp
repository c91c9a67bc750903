#include "ui/maintenance/Timport_frm.h"
#include "ui_import_frm.h"

#include "data/AdoConnection.h"
#include "data/AdoTable.h"
#include "platform/Dialogs.h"
#include "platform/HandlerGuard.h"
#include "ui/maintenance/IdiomDownload.h"
#include "widgets/layout/FormFonts.h"

#include <QCloseEvent>
#include <QDir>
#include <QNetworkAccessManager>

namespace quorvane {

Timport_frm::Timport_frm(AdoTable* table, QWidget* parent)
    : QDialog(parent), tb_cy(table), m_network(new QNetworkAccessManager(this)),
      m_download(new IdiomDownload(m_network, this)) {
    ui = std::make_unique<Ui::Timport_frm>();
    ui->setupUi(this);
    setModal(true);
    FormFonts::applyPixelSizes(this);
    ui->doubtlst->setColumnWidth(0, 110);
    ui->doubtlst->setColumnWidth(1, 150);
    ui->steplbl->setText(QStringLiteral("选好来源和导入方式后，按“开始导入”。"));

    const auto click = [this](QPushButton* button, void (Timport_frm::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    };
    click(ui->browsebtn, &Timport_frm::browsebtnClick);
    click(ui->startbtn, &Timport_frm::startbtnClick);
    click(ui->cancelbtn, &Timport_frm::cancelbtnClick);
    click(ui->reportbtn, &Timport_frm::reportbtnClick);
    connect(ui->closebtn, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->fileedt, &QLineEdit::textEdited, ui->fileradio,
            [this] { ui->fileradio->setChecked(true); });
    connect(ui->urledt, &QLineEdit::textEdited, ui->netradio,
            [this] { ui->netradio->setChecked(true); });

    connect(m_download, &IdiomDownload::progress, this, [this](qint64 received, qint64 total) {
        if (total > 0) {
            ui->progressbar->setMaximum(1000);
            ui->progressbar->setValue(int(received * 1000 / total));
        }
        ui->steplbl->setText(QStringLiteral("正在下载……已收到 %1 KB").arg(received / 1024));
    });
    connect(m_download, &IdiomDownload::finished, this, &Timport_frm::downloadFinished);
}

Timport_frm::~Timport_frm() = default;

bool Timport_frm::importing() const {
    return m_download->running() || m_job;
}

void Timport_frm::setRunning(bool running) {
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->sourcebox), static_cast<QWidget*>(ui->modebox),
          static_cast<QWidget*>(ui->startbtn), static_cast<QWidget*>(ui->closebtn)})
        widget->setEnabled(!running);
    ui->cancelbtn->setEnabled(running);
    if (running) {
        ui->resultlbl->clear();
        ui->doubtlst->clear();
        ui->reportbtn->setEnabled(false);
    }
}

void Timport_frm::showStep(const QString& text, int maximum) {
    ui->steplbl->setText(text);
    ui->progressbar->setMaximum(maximum);
    ui->progressbar->setValue(0);
}

void Timport_frm::browsebtnClick() {
    const QString name = Dialogs::getOpenFileName(
        this, {QStringLiteral("成语数据 (*.json, *.tsv)|*.json;*.tsv|所有文件 (*.*)|*"),
               ui->fileedt->text(), false});
    if (name.isEmpty())
        return;
    ui->fileedt->setText(name);
    ui->fileradio->setChecked(true);
}

void Timport_frm::startbtnClick() {
    if (importing())
        return;
    const bool replace = ui->replaceradio->isChecked();
    if (replace && Dialogs::messageBox(this,
                                       QStringLiteral("替换整个词典会去掉现有的全部成语，"
                                                      "包括对它们所做的修改。确实要替换吗？"),
                                       QStringLiteral("替换词典"), Dialogs::Icon::Question,
                                       Dialogs::Buttons::OkCancel,
                                       Dialogs::Button::Cancel) != Dialogs::Button::Ok)
        return;
    if (ui->fileradio->isChecked()) {
        const QString path = ui->fileedt->text().trimmed();
        if (path.isEmpty()) {
            showFailure(QStringLiteral("请先选择要导入的文件"));
            return;
        }
        setRunning(true);
        runJob(path);
        return;
    }
    m_downloaded = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                    QStringLiteral("/quorvane-XXXXXX.json"));
    if (!m_downloaded->open()) {
        showFailure(QStringLiteral("无法建立临时文件：%1").arg(m_downloaded->errorString()));
        return;
    }
    m_downloaded->close();
    setRunning(true);
    showStep(QStringLiteral("正在下载……"), 0);
    m_download->start(QUrl::fromUserInput(ui->urledt->text().trimmed()), m_downloaded->fileName());
}

void Timport_frm::cancelbtnClick() {
    if (m_download->running())
        m_download->cancel();
    else if (m_job)
        m_job->cancel();
    ui->steplbl->setText(QStringLiteral("正在取消……"));
}

void Timport_frm::downloadFinished(const QString& error) {
    if (!error.isEmpty()) {
        m_downloaded.reset();
        setRunning(false);
        showFailure(error);
        return;
    }
    runJob(m_downloaded->fileName());
}

void Timport_frm::runJob(const QString& input) {
    const IdiomMerge::Mode mode =
        ui->replaceradio->isChecked() ? IdiomMerge::Mode::Replace : IdiomMerge::Mode::AddMissing;
    m_job = std::make_unique<ImportJob>(input, tb_cy->connection()->databasePath(), mode);
    connect(m_job.get(), &ImportJob::stepStarted, this, [this](ImportJob::Step step) {
        if (step == ImportJob::Step::Checking)
            showStep(QStringLiteral("正在读取和检查成语……"), 0);
        else
            showStep(QStringLiteral("正在写入词典……"), 1);
    });
    connect(m_job.get(), &ImportJob::progress, this, [this](qsizetype done, qsizetype total) {
        ui->progressbar->setMaximum(int(std::max<qsizetype>(total, 1)));
        ui->progressbar->setValue(int(done));
        ui->steplbl->setText(QStringLiteral("正在写入词典……%1/%2").arg(done).arg(total));
    });
    connect(m_job.get(), &ImportJob::finished, this,
            [this] { runGuarded([this] { jobFinished(); }); });
    m_job->start();
}

void Timport_frm::jobFinished() {
    const std::unique_ptr<ImportJob> job = std::move(m_job);
    const bool downloaded = m_downloaded != nullptr;
    m_downloaded.reset();
    setRunning(false);
    if (!job->error().isEmpty()) {
        if (job->cancelled() || !downloaded)
            showFailure(job->error());
        else
            showFailure(QStringLiteral("下载的数据不完整或有错：%1").arg(job->error()));
        return;
    }
    m_lastPrepared = job->prepared();
    const IdiomMerge::Outcome outcome = job->outcome();
    ui->progressbar->setMaximum(1);
    ui->progressbar->setValue(1);
    ui->steplbl->setText(QStringLiteral("导入完成。"));
    ui->resultlbl->setText(QStringLiteral("添加 %1 条成语，%2 条词典中已有、保持原样，%3 条有疑问"
                                          "（照样导入，见下表）。主窗口按“刷新”后显示新的成语。")
                               .arg(outcome.added)
                               .arg(outcome.kept)
                               .arg(m_lastPrepared.check.doubtful));
    showResult();
    // The file was replaced: the connection goes over to it, and the maintenance cursor with
    // it; the idiom list keeps what it shows until it is refreshed.
    tb_cy->checkBrowseMode();
    tb_cy->close();
    tb_cy->connection()->reopen();
    tb_cy->open();
    tb_cy->last();
    Q_EMIT imported(outcome.added);
}

void Timport_frm::showFailure(const QString& error) {
    ui->steplbl->setText(QStringLiteral("导入没有完成。"));
    ui->progressbar->setMaximum(1);
    ui->progressbar->setValue(0);
    ui->resultlbl->setText(error + QStringLiteral("\n词典没有改动。"));
}

void Timport_frm::showResult() {
    ui->doubtlst->clear();
    QList<QTreeWidgetItem*> items;
    const IdiomImport::Prepared& prepared = m_lastPrepared;
    for (const IdiomCheck::Finding& finding : prepared.check.findings) {
        if (finding.fixed)
            continue;
        items << new QTreeWidgetItem({IdiomImport::placeText(prepared.format, finding.record),
                                      prepared.entries[size_t(finding.record)].text(Column::Idiom),
                                      finding.text});
    }
    ui->doubtlst->addTopLevelItems(items);
    ui->reportbtn->setEnabled(!items.isEmpty());
}

void Timport_frm::reportbtnClick() {
    const QString name = Dialogs::getSaveFileName(
        this, {QStringLiteral("TSV 文件 (*.tsv)|*.tsv"), QStringLiteral("疑问记录.tsv"), true});
    if (name.isEmpty())
        return;
    const IdiomImport::Prepared& prepared = m_lastPrepared;
    IdiomCheck::writeReport(
        name, prepared.entries, prepared.check, IdiomImport::placeHeading(prepared.format),
        [&prepared](qsizetype i) { return IdiomImport::placeNumber(prepared.format, i); });
    ui->steplbl->setText(QStringLiteral("疑问记录已保存到“%1”。").arg(name));
}

void Timport_frm::reject() {
    if (!importing())
        QDialog::reject();
}

void Timport_frm::closeEvent(QCloseEvent* event) {
    // Closing in the middle would leave the user guessing; 取消 stops an import.
    if (importing()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace quorvane
