// SearchRangesDialog: "搜索范围…" — the user adds, removes and switches on
// search ranges for terminals behind routers; saved when accepted.
// User-interface thread.
#pragma once

#include <QDialog>

namespace Ui {
class SearchRangesDialog;
}

class SearchRangesDialog : public QDialog {
    Q_OBJECT

public:
    explicit SearchRangesDialog(QWidget* parent = nullptr);
    ~SearchRangesDialog() override;

    void accept() override;

private:
    void addRange();
    void removeRange();

    Ui::SearchRangesDialog* ui;
};
