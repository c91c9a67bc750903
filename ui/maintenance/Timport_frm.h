#pragma once

#include "ui/maintenance/ImportJob.h"

#include <QDialog>
#include <QTemporaryFile>

#include <memory>

class QNetworkAccessManager;

namespace Ui {
class Timport_frm;
}

namespace quorvane {

class AdoTable;
class IdiomDownload;

// The import window: brings idioms from a file or the public data set into the dictionary
// the maintenance cursor works on, either adding the idioms it lacks or replacing it.
class Timport_frm : public QDialog {
    Q_OBJECT
public:
    Timport_frm(AdoTable* table, QWidget* parent = nullptr);
    ~Timport_frm() override;

    // The cursor of the maintenance window; re-opened on the new file after an import.
    AdoTable* const tb_cy;

    bool importing() const;

    // Handlers, bound when the window is built.
    void browsebtnClick();
    void startbtnClick();
    void cancelbtnClick();
    void reportbtnClick();

Q_SIGNALS:
    // The dictionary file was replaced; `added` rows are new.
    void imported(qsizetype added);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::Timport_frm> ui;
    void setRunning(bool running);
    void downloadFinished(const QString& error);
    void runJob(const QString& input);
    void jobFinished();
    void showStep(const QString& text, int maximum);
    void showFailure(const QString& error);
    void showResult();

    QNetworkAccessManager* m_network;
    IdiomDownload* m_download;
    std::unique_ptr<QTemporaryFile> m_downloaded;
    std::unique_ptr<ImportJob> m_job;
    IdiomImport::Prepared m_lastPrepared;
};

} // namespace quorvane
