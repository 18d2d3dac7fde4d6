#include "ui/main/QueryTool.h"

#include "core/search/TerminalSearch.h"
#include "net/NxNetControl.h"
#include "ui/rows/TerminalListItem.h"
#include "ui/settings/QuerySettingDialog.h"
#include "ui_QueryTool.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

// Operations on one terminal and on all terminals.

namespace {

// The waiting engine operations block the event loop for up to about six
// seconds; the wait cursor tells the user why the window does not react.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Runs one waiting engine operation under the wait cursor; without an
// engine nothing can be sent.
template <typename Operation> int waitFor(NxNetControl* engine, Operation operation)
{
    if (engine == nullptr)
        return kNotSent;
    BusyCursor busy;
    return operation(engine);
}

// The talkback-only setting: the two volumes of the edited record, to `ip`.
// Without an address the request would go to every terminal.
int sendVolumes(NxNetControl* engine, const char* ip, const TerminalParam& edited)
{
    if (ip[0] == '\0')
        return kNotSent;
    return waitFor(engine, [&](NxNetControl* e) { return e->SetVolume(ip, edited.PlayVol, edited.CaptureVol); });
}

}  // namespace

void QueryTool::item_clicked(QTableWidgetItem*)
{
    ui->set_btn->setEnabled(true);
    ui->enter_updata_btn->setEnabled(true);
    ui->reset_terminal_btn->setEnabled(true);
    ui->enterUpdateBtn->setEnabled(true);
    ui->termResetBtn->setEnabled(true);

    TerminalParam selected;
    if (selectedTerminal(&selected))
        showTerminal(&selected);
}

void QueryTool::deselectTerminal()
{
    ui->set_btn->setEnabled(false);
    ui->enter_updata_btn->setEnabled(false);
    ui->reset_terminal_btn->setEnabled(false);
    ui->enterUpdateBtn->setEnabled(false);
    ui->termResetBtn->setEnabled(false);
}

void QueryTool::item_doubled_clicked(QTableWidgetItem*)
{
    set_terminal();
}

void QueryTool::set_terminal()
{
    TerminalParam selected;
    if (!selectedTerminal(&selected))
        return;

    // No broadcast crosses a router: a terminal found only through a search
    // range is set at its own address, as a read by address does.
    const bool behindRouter = search != nullptr && search->onlyThroughRange(selected);
    QuerySettingDialog dialog(selected, !behindRouter, this);
    if (behindRouter)
        dialog.setWindowTitle(tr("%1（路由器之后：按其地址 %2 设置）").arg(dialog.windowTitle(), selected.IP));
    if (dialog.exec() != QDialog::Accepted)
        return;

    if (dialog.fTalkbackOnly) {
        // Every other edit is ignored on this path, the address included: the
        // volumes go to the address the terminal has now.
        if (sendVolumes(engine, selected.IP, dialog.fTermParam) != kReplyOk)
            showSetFailed();
        query_terminal();
        return;
    }

    const int result = waitFor(engine, [&](NxNetControl* e) { return e->SetTerminal(&dialog.fTermParam); });
    if (result == kReplyOk)
        query_terminal();
    else
        showSetFailed();
}

void QueryTool::getAndSetTerminal()
{
    char ip[32] = {};
    if (!ui->IpEdit->getIpAddress(ip, sizeof ip))
        return;

    TerminalParam reply;
    int result = waitFor(engine, [&](NxNetControl* e) { return e->GetTerminal(ip, &reply); });
    if (result != kReplyOk) {
        QMessageBox::warning(this, tr("tips"), tr("Get Term Info Error!"), QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }

    QuerySettingDialog dialog(reply, false, this);
    if (dialog.exec() != QDialog::Accepted)
        return;

    if (dialog.fTalkbackOnly) {
        // As from the table: only the two volumes, to the address just read.
        if (sendVolumes(engine, ip, dialog.fTermParam) != kReplyOk)
            showSetFailed();
        return;
    }

    result = waitFor(engine, [&](NxNetControl* e) { return e->SetTerminal(&dialog.fTermParam); });
    if (result == kReplyOk)
        addOrUpdateTerminal(dialog.fTermParam);
    else if (result != kReplyTimeout)
        showSetFailed();  // not sent, or refused by the terminal
}

void QueryTool::SetTerminalPlayVolume()
{
    char ip[32] = {};
    if (!ui->IpEdit->getIpAddress(ip, sizeof ip))
        return;

    const auto treble = static_cast<int8_t>(ui->kMainTrebleSpinBox->value());
    const auto bass = static_cast<int8_t>(ui->kMainBassSpinBox->value());
    const auto volume = static_cast<int8_t>(ui->kMainVolSpinBox->value());
    const int result = waitFor(engine, [&](NxNetControl* e) { return e->SetToneAndVolume(ip, treble, bass, volume); });
    if (result == kReplyOk)
        showSetSucceeded();
    else
        showSetFailed();
}

void QueryTool::enter_root()
{
    // The menu and the keys press the buttons, so the sender tells them apart.
    const QObject* button = sender();
    const bool upgrade = button == ui->enter_updata_btn || button == ui->enterUpdateBtn;
    rebootSelected(upgrade ? kUpgradeCode : kRebootCode);
}

void QueryTool::rebootSelected(uint8_t code)
{
    TerminalParam selected;
    if (!selectedTerminal(&selected))
        return;

    const int result = waitFor(engine, [&](NxNetControl* e) { return e->RebootTerminal(&selected, code); });
    if (result == kReplyOk)
        showSetSucceeded();
    else
        showSetFailed();
}

void QueryTool::setSrvBoxStateChanged(int)
{
    const bool armed = ui->SrvCheckBox->isChecked();
    ui->SrvSureBtn->setEnabled(armed);
    ui->setSrvIpEdit->setEnabled(armed);
}

void QueryTool::setUpdateBoxStateChanged(int)
{
    ui->UpdateSureBtn->setEnabled(ui->UpdateCheckBox->isChecked());
}

void QueryTool::setResetBoxStateChanged(int)
{
    ui->ResetSureBtn->setEnabled(ui->ResetCheckBox->isChecked());
}

void QueryTool::set_all_server_slot()
{
    char server[32] = {};
    if (!ui->setSrvIpEdit->getIpAddress(server, sizeof server)) {
        ui->SrvCheckBox->setCheckState(Qt::Unchecked);
        return;
    }
    commandAllTerminals(ui->SrvCheckBox, [&] { return engine->SetAllServers(server); });
}

void QueryTool::set_all_update_slot()
{
    commandAllTerminals(ui->UpdateCheckBox, [this] { return engine->UpdateAllTerminals(); });
}

void QueryTool::set_all_reset_slot()
{
    commandAllTerminals(ui->ResetCheckBox, [this] { return engine->ResetAllTerminals(); });
}

void QueryTool::commandAllTerminals(QCheckBox* guard, const std::function<bool()>& send)
{
    // The guard stays ticked when nothing went out, so the user can retry.
    if (engine != nullptr && !send())
        showNotSent(tr("命令未能发出，请检查网络连接！"));
    else
        guard->setCheckState(Qt::Unchecked);
}

void QueryTool::showTerminal(const TerminalParam* record)
{
    ui->updateIp->setText(QString::fromUtf8(record->IP));
    ui->updateMac->setText(QString::fromUtf8(record->MAC));
    ui->IpEdit->setIpAddress(record->IP);

    ui->kMainTrebleHorSlider->setValue(record->Treble);
    ui->kMainTrebleSpinBox->setValue(record->Treble);
    ui->kMainBassHorSlider->setValue(record->Bass);
    ui->kMainBassSpinBox->setValue(record->Bass);

    ui->enterUpdateBtn->setEnabled(true);
    ui->termResetBtn->setEnabled(true);
}

bool QueryTool::selectedTerminal(TerminalParam* record) const
{
    const int row = ui->terminalsWidget->currentRow();
    if (row < 0)
        return false;
    auto* item = dynamic_cast<TerminalListItem*>(ui->terminalsWidget->item(row, 0));
    if (item == nullptr)
        return false;
    *record = item->param;
    return true;
}

void QueryTool::showSetSucceeded()
{
    QMessageBox::information(
        this, QString::fromUtf8("设置"), QString::fromUtf8("设置成功！"), QMessageBox::Ok, QMessageBox::NoButton);
}

void QueryTool::showNotSent(const QString& otherwise)
{
    QString reason = otherwise;
    if (engine != nullptr && !engine->IsOpen())
        reason = tr("无法打开UDP端口%1，该端口可能已被其他程序占用。").arg(engine->Settings().localPort);
    // From the event loop: the first search starts inside the constructor.
    QTimer::singleShot(0, this,
        [this, reason] { QMessageBox::warning(this, tr("错误"), reason, QMessageBox::Ok, QMessageBox::NoButton); });
}

void QueryTool::showSetFailed()
{
    QMessageBox::warning(this, QString::fromUtf8("设置"), QString::fromUtf8("设置出错，请重新设置！"), QMessageBox::Ok,
        QMessageBox::NoButton);
}
