#include "ui/settings/QuerySettingDialog.h"

#include "net/DeviceKindTable.h"
#include "core/records/TerminalEdit.h"
#include "ui/settings/IpSettingCheck.h"
#include "ui/widgets/SliderSpinBoxPair.h"
#include "ui_QuerySettingDialog.h"

#include <QMessageBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kIdMaxLength = 4;
constexpr int kPortMaxLength = 5;

bool hasTalkbackVolumes(int32_t kind)
{
    return kind == 4 || kind == 5 || kind == 11;
}

bool hasToneControls(int32_t kind)
{
    return kind == 0 || kind == 1 || kind == 2;
}

template <size_t N> void copyText(char (&field)[N], const char* text)
{
    std::snprintf(field, N, "%s", text);
}

// An editor whose first number is empty or 0 gives no address.
std::string readAddress(NxIPLineEdit* editor)
{
    char buffer[32] = {};
    return editor->getIpAddress(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

}  // namespace

QuerySettingDialog::QuerySettingDialog(TerminalParam param, bool isBroadcast, QWidget* parent)
    : QDialog(parent)
    , fDeviceKind(-1)
    , fTermParam(param)
    , fTalkbackOnly(false)
    , ui(new Ui::TerminalSettingDialog)
{
    fTermParam.IsBroadcast = isBroadcast ? 1 : 0;
    fDeviceKind = findKindByType(fTermParam.Type);
    ui->setupUi(this);

    connect(ui->OkBtn, &QPushButton::clicked, this, &QuerySettingDialog::ok_btn_clicked);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QuerySettingDialog::cancel_btn_clicked);
    connect(ui->fCbxAutoIp, &QCheckBox::clicked, this, &QuerySettingDialog::auto_get_ip_changed);
    connect(ui->fGrpManuanlIp, &QGroupBox::clicked, this, &QuerySettingDialog::cbx_manual_ip_changed);
    connect(ui->tabWidget, &QTabWidget::currentChanged, this, &QuerySettingDialog::tab_changed);
    connect(ui->SvrPortCheckBox, &QCheckBox::stateChanged, this, &QuerySettingDialog::portBoxStateChanged);
    connect(ui->MacCheckBox, &QCheckBox::stateChanged, this, &QuerySettingDialog::macBoxStateChanged);
    connect(ui->NetSpeedCheck, &QCheckBox::stateChanged, this, &QuerySettingDialog::netBoxStateChanged);
    connect(ui->fGrpMultSvrIp, &QGroupBox::clicked, this, &QuerySettingDialog::grp_mult_svr_clicked);
    coupleSliderAndSpinBox(ui->trebleHorSlider, ui->spinBoxTreble);
    coupleSliderAndSpinBox(ui->bassHorSlider, ui->spinBoxBass);
    connect(ui->talkbackGb, &QGroupBox::clicked, this, &QuerySettingDialog::talkbackGbStateChanged);
    connect(ui->fServer1Cb, &QCheckBox::clicked, this, &QuerySettingDialog::slotServer1CbClicked);
    connect(ui->fServer2Cb, &QCheckBox::clicked, this, &QuerySettingDialog::slotServer2CbClicked);

    loadBasicSettings(fTermParam);
    loadAdvancedSettings(fTermParam);

    // Host services are never edited here.
    ui->tabWidget->removeTab(ui->tabWidget->indexOf(ui->fHostConfigTab));
    ui->tabWidget->setTabEnabled(0, true);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

QuerySettingDialog::~QuerySettingDialog()
{
    delete ui;
}

void QuerySettingDialog::loadBasicSettings(TerminalParam p)
{
    ui->idEdit->setValidator(new QRegularExpressionValidator(QRegularExpression("[1-9]\\d{3}"), this));
    ui->idEdit->setMaxLength(kIdMaxLength);
    ui->idEdit->setText(p.ID == 0 ? QStringLiteral("1") : QString::number(p.ID));

    ui->fCbxAutoIp->setChecked(p.AutoIP != 0);
    ui->fGrpManuanlIp->setChecked(p.AutoIP == 0);
    ui->IpEdit->setIpAddress(p.IP);
    ui->MaskEdit->setIpAddress(p.Mask);
    ui->GatewayEdit->setIpAddress(p.Gateway);

    ui->fServer1Edit->setIpAddress(p.Server);
    ui->fServer2Edit->setIpAddress(p.Server2);
    ui->fServer2Edit->setEnabled(false);

    if (hasTalkbackVolumes(fDeviceKind)) {
        ui->talkbackNoteLabel->hide();
        ui->playSpinBox->setValue(p.PlayVol);
        ui->captureSpinBox->setValue(p.CaptureVol);
    } else {
        ui->talkbackGb->hide();
    }
}

void QuerySettingDialog::loadAdvancedSettings(TerminalParam p)
{
    ui->SeverPortEdit->setValidator(new QRegularExpressionValidator(QRegularExpression("[1-9]\\d{4}"), this));
    ui->SeverPortEdit->setMaxLength(kPortMaxLength);
    ui->SeverPortEdit->setEnabled(false);
    ui->MacEdit->setEnabled(false);
    ui->NetSpeedCombo->setEnabled(false);

    if (p.Speed == 0)
        ui->NetSpeedCombo->setCurrentIndex(0);
    else if (p.Speed == 10)
        ui->NetSpeedCombo->setCurrentIndex(1);
    else if (p.Speed == 100)
        ui->NetSpeedCombo->setCurrentIndex(2);

    ui->MacEdit->setText(QString::fromUtf8(p.MAC));
    ui->SeverPortEdit->setText(QString::number(p.ServerPort));
    // Through stateChanged this enables MacEdit again (it stays read-only).
    ui->MacCheckBox->setChecked(true);

    ui->spinBoxTreble->setValue(p.Treble);
    ui->trebleHorSlider->setValue(p.Treble);
    ui->spinBoxBass->setValue(p.Bass);
    ui->bassHorSlider->setValue(p.Bass);
    ui->fTermVolumeSet->setVisible(hasToneControls(fDeviceKind));

    ui->fLeMultBroadSvr->setIpAddress(p.Server);
    ui->fLeMultTalkSvr->setIpAddress(p.Server2);
    ui->fGrpMultSvrIp->hide();

    ui->tabWidget->setTabEnabled(1, true);
}

bool QuerySettingDialog::readServerPort(uint16_t* port) const
{
    if (!ui->SvrPortCheckBox->isChecked()) {
        *port = static_cast<uint16_t>(defaultServerPort(fDeviceKind));
        return true;
    }
    const long typed = std::atol(ui->SeverPortEdit->text().toLocal8Bit().constData());
    if (typed < 0 || typed > 65535)
        return false;
    *port = static_cast<uint16_t>(typed);
    return true;
}

void QuerySettingDialog::ok_btn_clicked()
{
    TerminalEdit edit;
    edit.newId = ui->idEdit->text().toInt();
    if (edit.newId == 0)
        return;

    edit.autoIp = ui->fCbxAutoIp->isChecked();
    if (!edit.autoIp) {
        edit.ip = readAddress(ui->IpEdit);
        edit.mask = readAddress(ui->MaskEdit);
        edit.gateway = readAddress(ui->GatewayEdit);
        if (!checkIpSetting(edit.ip.c_str(), edit.mask.c_str(), edit.gateway.c_str()))
            return;
    }

    const bool separateServers = ui->fGrpMultSvrIp->isChecked();
    edit.server = readAddress(separateServers ? ui->fLeMultBroadSvr : ui->fServer1Edit);
    edit.server2 = readAddress(separateServers ? ui->fLeMultTalkSvr : ui->fServer2Edit);

    uint16_t port = 0;
    if (!readServerPort(&port)) {
        QMessageBox::warning(this, QString::fromUtf8("设置"), QString::fromUtf8("服务器端口无效!"), QMessageBox::Ok,
            QMessageBox::NoButton);
        return;
    }
    edit.serverPort = port;
    edit.server2Port = port;

    if (ui->NetSpeedCheck->isChecked()) {
        static const uint16_t kSpeeds[] = {0, 10, 100};
        const int index = ui->NetSpeedCombo->currentIndex();
        edit.setSpeed = true;
        edit.speed = (index >= 0 && index < 3) ? kSpeeds[index] : 0;
    }

    edit.playVol = static_cast<int8_t>(ui->playSpinBox->value());
    edit.captureVol = static_cast<int8_t>(ui->captureSpinBox->value());

    edit.setTone = ui->fTermVolumeSet->isChecked();
    edit.treble = static_cast<int8_t>(ui->spinBoxTreble->value());
    edit.bass = static_cast<int8_t>(ui->spinBoxBass->value());

    edit.newMac = ui->MacCheckBox->isChecked();
    fTermParam = composeSetRecord(fTermParam, edit);
    accept();
}

void QuerySettingDialog::cancel_btn_clicked()
{
    reject();
}

void QuerySettingDialog::init_default_setting()
{
    copyText(fTermParam.IP, "192.168.1.10");
    copyText(fTermParam.Mask, "255.255.255.0");
    copyText(fTermParam.Gateway, "192.168.1.1");
    copyText(fTermParam.Server, "192.168.1.100");
    fTermParam.ServerPort = static_cast<uint16_t>(defaultServerPort(fDeviceKind));

    loadBasicSettings(fTermParam);
    loadAdvancedSettings(fTermParam);
    const int hostPage = ui->tabWidget->indexOf(ui->fHostConfigTab);
    if (hostPage >= 0)
        ui->tabWidget->removeTab(hostPage);
    ui->tabWidget->setTabEnabled(0, true);
}

void QuerySettingDialog::auto_get_ip_changed(bool)
{
    const bool automatic = ui->fCbxAutoIp->isChecked();
    ui->fCbxAutoIp->setChecked(automatic);
    ui->fGrpManuanlIp->setChecked(!automatic);
}

void QuerySettingDialog::cbx_manual_ip_changed(bool state)
{
    ui->fCbxAutoIp->setChecked(!state);
    ui->fGrpManuanlIp->setChecked(state);
}

void QuerySettingDialog::show_advance_setting(TerminalParam*)
{
    ui->tabWidget->setTabEnabled(1, true);
}

void QuerySettingDialog::tab_changed(int index)
{
    // Only the host page reacts, and the constructor removes it.
    if (index < 0 || index != ui->tabWidget->indexOf(ui->fHostConfigTab))
        return;
    ui->fLeHostName->setText(QString::fromUtf8(fTermParam.Name));
}

void QuerySettingDialog::portBoxStateChanged(int)
{
    ui->SeverPortEdit->setEnabled(ui->SvrPortCheckBox->isChecked());
}

void QuerySettingDialog::macBoxStateChanged(int)
{
    ui->MacEdit->setEnabled(ui->MacCheckBox->isChecked());
}

void QuerySettingDialog::netBoxStateChanged(int)
{
    ui->NetSpeedCombo->setEnabled(ui->NetSpeedCheck->isChecked());
}

void QuerySettingDialog::bcastMicRadbtnToggled(bool checked)
{
    if (checked)
        ui->SeverPortEdit->setText(QStringLiteral("7901"));
}

void QuerySettingDialog::talkbackMicRadbtnToggled(bool checked)
{
    if (checked)
        ui->SeverPortEdit->setText(QStringLiteral("8901"));
}

void QuerySettingDialog::rab_mult_svr_toggled(bool checked)
{
    ui->fGrpMultSvrIp->setVisible(checked);
    if (!checked)
        ui->fGrpMultSvrIp->setChecked(false);
    ui->SvrPortCheckBox->setEnabled(!checked);
}

void QuerySettingDialog::grp_mult_svr_clicked(bool checked)
{
    ui->fGrpMultSvrIp->setChecked(checked);
}

void QuerySettingDialog::talkbackGbStateChanged(bool state)
{
    fTalkbackOnly = state;
    ui->talkbackNoteLabel->setVisible(state);
}

void QuerySettingDialog::slotServer1CbClicked(bool)
{
    // The preferred server cannot be switched off.
    ui->fServer1Cb->setChecked(true);
}

void QuerySettingDialog::slotServer2CbClicked(bool checked)
{
    ui->fServer2Edit->setEnabled(checked);
}
