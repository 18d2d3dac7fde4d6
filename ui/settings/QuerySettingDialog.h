// QuerySettingDialog: the modal dialog that edits a copy of one terminal's
// parameters; the caller reads fTermParam and fTalkbackOnly after Accepted.
// User-interface thread only; it never talks to the network.
#pragma once

#include "net/TerminalParam.h"

#include <QDialog>

namespace Ui {
class TerminalSettingDialog;
}

class QuerySettingDialog : public QDialog {
    Q_OBJECT

public:
    QuerySettingDialog(TerminalParam param, bool isBroadcast, QWidget* parent = nullptr);
    ~QuerySettingDialog() override;

    void loadBasicSettings(TerminalParam p);
    void loadAdvancedSettings(TerminalParam p);

    int32_t fDeviceKind;       // -1 when the model is not in DeviceKindTable
    TerminalParam fTermParam;  // the working copy
    bool fTalkbackOnly;        // set only the two talkback volumes

private slots:
    void ok_btn_clicked();
    void cancel_btn_clicked();
    void init_default_setting();
    void auto_get_ip_changed(bool state);
    void cbx_manual_ip_changed(bool state);
    void show_advance_setting(TerminalParam* param);
    void tab_changed(int index);
    void portBoxStateChanged(int state);
    void macBoxStateChanged(int state);
    void netBoxStateChanged(int state);
    void bcastMicRadbtnToggled(bool checked);
    void talkbackMicRadbtnToggled(bool checked);
    void rab_mult_svr_toggled(bool checked);
    void grp_mult_svr_clicked(bool checked);
    void talkbackGbStateChanged(bool state);
    void slotServer1CbClicked(bool checked);
    void slotServer2CbClicked(bool checked);

private:
    bool readServerPort(uint16_t* port) const;

    Ui::TerminalSettingDialog* ui;
};
