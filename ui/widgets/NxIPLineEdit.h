// NxIPLineEdit: a dotted IPv4 address editor, four borderless number fields
// inside one line-edit frame. Addresses pass in and out as "%d.%d.%d.%d"
// text. User-interface thread only.
#pragma once

#include <QLineEdit>

class NxIpField;

class NxIPLineEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit NxIPLineEdit(QWidget* parent = nullptr);
    ~NxIPLineEdit() override;

    // Writes the address into `buffer` (zero-terminated, at most `size`
    // bytes); false, buffer untouched, when the first field is 0 or empty.
    bool getIpAddress(char* buffer, int size) const;
    // Fills the fields from dotted text, as far as it has dots; true only
    // when all four fields were set.
    bool setIpAddress(const char* address);
    // Sets field `index` (0 to 3) to `value` in decimal; false for another index.
    bool setFieldValue(int value, int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kFieldCount = 4;
    NxIpField* fields[kFieldCount];
};
