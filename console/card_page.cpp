// The memory-card panel: the search for a card among the removable drives, the device choice,
// the date range and the delete of day files. The export is in card_export.cpp.
#include <QApplication>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/format.h"
#include "console/form1.h"
#include "platform/removable_drives.h"

namespace console {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The note of the files skipped for want of a real date, for the message field.
QString NotDatesNote(const std::vector<std::string>& notDates) {
    if (notDates.empty()) return {};
    return Text(base::Format("跳过%d个日期无效的文件(%s)!", {notDates.size(), JoinedNames(notDates)}));
}

}  // namespace

void Tform1::ConnectCardHandlers() {
    OnClick(BitBtn22, &Tform1::BitBtn22Click);
    OnClick(BitBtn28, &Tform1::BitBtn28Click);
    OnClick(BitBtn30, &Tform1::BitBtn30Click);
    OnClick(BitBtn31, &Tform1::BitBtn31Click);
    OnClick(BitBtn48, &Tform1::BitBtn48Click);
    // A pick by the operator; the program's own changes of the list do not count.
    QObject::connect(ComboBox19, &QComboBox::activated, this,
                     [this](int index) { RunGuarded([&] { ComboBox19Change(index); }); });
    QObject::connect(DateTimePicker4, &QDateTimeEdit::dateChanged, this,
                     [this] { RunGuarded([&] { CardDateChange(DateTimePicker4, "导出的起始日期"); }); });
    QObject::connect(DateTimePicker5, &QDateTimeEdit::dateChanged, this,
                     [this] { RunGuarded([&] { CardDateChange(DateTimePicker5, "导出的结束日期"); }); });
    // At most one report kind per export.
    QObject::connect(CheckBox4, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked) CheckBox7->setChecked(false);
    });
    QObject::connect(CheckBox7, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked) CheckBox4->setChecked(false);
    });
}

std::vector<std::string> Tform1::CardDrives() const {
    return ReadCardDrives ? ReadCardDrives() : platform::RemovableDrives();
}

void Tform1::SetCardMessage(const QString& edit, const QString& statistics) {
    Edit7->setText(edit);
    SetStatistics(statistics);
}

void Tform1::EnableExportOptions(bool enabled) { SetEnabled({CheckBox4, CheckBox7}, enabled); }

void Tform1::SetCardSideButtons(bool enabled) { SetEnabled({BitBtn9, BitBtn22, BitBtn11, BitBtn10}, enabled); }

TCardDevice* Tform1::ChosenDevice() {
    const int index = ComboBox19->currentIndex();
    if (index < 0 || index >= static_cast<int>(Card.RecordFileLists.size())) return nullptr;
    TCardDevice& device = Card.RecordFileLists[static_cast<size_t>(index)];
    return device.Files.empty() ? nullptr : &device;
}

void Tform1::FillDeviceBox() {
    const QSignalBlocker quiet(ComboBox19);
    ComboBox19->clear();
    for (const TCardDevice& device : Card.RecordFileLists) ComboBox19->addItem(QString::number(device.Number));
    ComboBox19->setCurrentIndex(Card.RecordFileLists.empty() ? -1 : 0);
}

// Both pickers bounded by the device's first and last day and set to them; the program's
// own setting shows no date message.
void Tform1::SetCardDates(const TCardDevice& device) {
    Card.FirstFileDate = device.Files.front().Date;
    Card.LastFileDate = device.Files.back().Date;
    for (QDateTimeEdit* picker : {DateTimePicker4, DateTimePicker5}) {
        const QSignalBlocker quiet(picker);
        picker->setDateRange(Card.FirstFileDate, Card.LastFileDate);
    }
    const QSignalBlocker quiet4(DateTimePicker4), quiet5(DateTimePicker5);
    DateTimePicker4->setDateTime(QDateTime(Card.FirstFileDate, QTime(0, 0)));
    DateTimePicker5->setDateTime(QDateTime(Card.LastFileDate, QTime(0, 0)));
    Card.Selection = {0, device.Files.size() - 1};
}

void Tform1::BitBtn22Click() {
    ShowPage(Panel7, "TF卡导出");
    SetEnabled({BitBtn30, BitBtn31, ToolButton1, ComboBox19, DateTimePicker4, DateTimePicker5}, false);
}

void Tform1::BitBtn28Click() {
    SetStatus("正在搜索");
    SetStatistics("");
    // The lists of the previous search go with it.
    Card.RecordFileLists.clear();
    FillDeviceBox();
    enum { NoCard, NoDayFiles, DayFilesFound } result = NoCard;
    std::vector<std::string> notDates;
    for (const std::string& root : CardDrives()) {
        Card.CardRoot = root;
        SetPortState("TF卡插入");
        result = NoDayFiles;
        TCardListing listing = ListCard(root);
        notDates.insert(notDates.end(), listing.NotDates.begin(), listing.NotDates.end());
        if (listing.Devices.empty()) continue;
        Card.RecordFileLists = std::move(listing.Devices);
        result = DayFilesFound;
        break;
    }
    if (result == DayFilesFound) {
        SetEnabled({DateTimePicker4, DateTimePicker5}, true);
        SetCardDates(Card.RecordFileLists.front());
        FillDeviceBox();
        SetEnabled({BitBtn30, BitBtn31, ComboBox19}, true);
        EnableExportOptions(true);
        size_t total = 0;
        for (const TCardDevice& device : Card.RecordFileLists) total += device.Files.size();
        const std::string found = base::Format("%d设备%d天的记录文件!", {Card.RecordFileLists.size(), total});
        SetCardMessage("搜索完成,共" + Text(found) + NotDatesNote(notDates), Text(found));
    } else {
        if (result == NoCard)
            SetCardMessage("搜索完成,未发现TF卡!", "未发现TF卡!");
        else
            SetCardMessage("搜索完成,未发现记录文件!" + NotDatesNote(notDates), "未发现记录文件!");
        // With no device listed there is nothing to export or delete.
        SetEnabled({DateTimePicker4, DateTimePicker5, BitBtn30, BitBtn31, ComboBox19}, false);
        EnableExportOptions(false);
    }
    SetStatus("搜索完成");
}

void Tform1::ComboBox19Change(int) {
    const TCardDevice* device = ChosenDevice();
    if (!device) return;
    SetEnabled({DateTimePicker4, DateTimePicker5}, true);
    EnableExportOptions(true);
    SetCardDates(*device);
    SetStatus("设备" + QString::number(device->Number));
    const QString count = Text(base::Format("有%d天的记录文件!", {device->Files.size()}));
    SetCardMessage(count, count);
    SetEnabled({BitBtn30, BitBtn31}, true);
}

void Tform1::CardDateChange(QDateTimeEdit* picker, const char* caption) {
    const QDate date = picker->date();
    const QString text =
        Text(base::Format("%s%.4d年%.2d月%.2d日", {std::string(caption), date.year(), date.month(), date.day()}));
    SetCardMessage(text, text);
}

void Tform1::BitBtn31Click() {
    TCardDevice* device = ChosenDevice();
    if (!device) return;
    SetStatus("正在删除");
    SetStatistics("");
    SetEnabled(
        {CheckBox4, CheckBox7, DateTimePicker4, DateTimePicker5, BitBtn28, BitBtn30, BitBtn31, BitBtn48, ComboBox19},
        false);
    SetCardSideButtons(false);
    Card.Selection = SelectDayFiles(device->Files, DateTimePicker4->date(), DateTimePicker5->date());
    const size_t low = Card.Selection.Low(), count = Card.Selection.Count();
    // The files that stay: those outside the range and those that could not be deleted.
    std::vector<TDayFile> kept(device->Files.begin(), device->Files.begin() + static_cast<ptrdiff_t>(low));
    std::vector<std::string> undeletable;
    for (size_t k = 1; k <= count; ++k) {
        const TDayFile& file = device->Files[low + k - 1];
        std::error_code error;
        std::filesystem::remove(DayFilePath(Card.CardRoot, device->Number, file), error);
        if (error) {
            undeletable.push_back(file.FileName);
            kept.push_back(file);
        }
        Edit7->setText(Text(base::Format("正在删除第%d个,共选择%d个文件！", {k, count})));
        SetStatistics(Text(base::Format("第%d个/%d个文件！", {k, count})));
        QApplication::processEvents();
    }
    kept.insert(kept.end(), device->Files.begin() + static_cast<ptrdiff_t>(low + count), device->Files.end());
    device->Files = std::move(kept);

    if (device->Files.empty()) {
        SetEnabled({DateTimePicker4, DateTimePicker5}, false);
        Card.RecordFileLists.erase(Card.RecordFileLists.begin() + ComboBox19->currentIndex());
        if (Card.RecordFileLists.empty()) {
            FillDeviceBox();
            SetEnabled({BitBtn30, BitBtn31, ComboBox19}, false);
            EnableExportOptions(false);
        } else {
            const std::vector<std::string> drives = CardDrives();
            Card.RecordFileLists.clear();
            if (std::find(drives.begin(), drives.end(), Card.CardRoot) != drives.end())
                Card.RecordFileLists = ListCard(Card.CardRoot).Devices;
            FillDeviceBox();
            if (!Card.RecordFileLists.empty()) {
                SetEnabled({DateTimePicker4, DateTimePicker5}, true);
                SetCardDates(Card.RecordFileLists.front());
                SetEnabled({BitBtn30, BitBtn31, ComboBox19}, true);
                EnableExportOptions(true);
            }
        }
        // The card may be gone: a new search is always possible.
        BitBtn28->setEnabled(true);
    } else {
        SetCardDates(*device);
        SetEnabled({DateTimePicker4, DateTimePicker5, ComboBox19, BitBtn28, BitBtn30, BitBtn31}, true);
        EnableExportOptions(true);
    }
    const size_t deleted = count - undeletable.size();
    QString edit = Text(base::Format("删除完成,共删除%d个文件！", {deleted}));
    QString statistics = Text(base::Format("共删除%d个文件！", {deleted}));
    if (!undeletable.empty()) {
        edit += Text(base::Format("%d个文件无法删除(%s)!", {undeletable.size(), JoinedNames(undeletable)}));
        statistics += Text(base::Format("%d个无法删除!", {undeletable.size()}));
    }
    SetCardMessage(edit, statistics);
    SetStatus("删除完成");
    BitBtn48->setEnabled(true);
    // The operator can leave the panel again, with or without an export after the delete.
    SetCardSideButtons(true);
}

void Tform1::BitBtn48Click() {
    ListBox3->clear();
    Edit7->setText("显示已清除！");
}

}  // namespace console
