#include "skin/skin_data.h"

namespace skin {

namespace {

struct TKindGroup {
    const char* Kind;
    std::initializer_list<const char*> Classes;
};

// Controls of other component libraries and the skinner kind each one gets; three lines are
// listed twice, as in the stored list.
const TKindGroup DefaultGroups[] = {
    {"scrollbar",
     {"TCategoryButtons", "TVirtualStringTree", "TVirtualDrawTree", "TAdvPanelGroup", "THTMLViewer", "TDBCtrlGrid",
      "TImageEnMView", "TImageEnView", "TAdvMemo", "TDBAdvMemo"}},
    {"pngspeedbutton", {"TPngSpeedbutton"}},
    {"pngbitbtn", {"TPngBitBtn"}},
    {"Panel",
     {"TTBXDockablePanel", "TControlBar", "TTBDock", "TTBToolbar", "TLMDGROUPBOX", "TLMDSIMPLEPANEL", "TLMDDBCalendar",
      "TLMDButtonPanel", "TLMDLMDCalculator", "TLMDHeaderPanel", "TLMDTechnicalLine", "TLMDLMDClock"}},
    {"panel", {"TRzGroup", "TLMDCalculator", "TLMDTrackbar"}},
    {"combobox", {"TComboboxex",          "TcxDBLookupComboBox",    "TcxDBComboBox",
                  "TcxDBDateEdit",        "TcxDBImageComboBox",     "TcxDBCalcEdit",
                  "TcxDBBlobEdit",        "TcxDBPopupEdit",         "TcxDBFontNameComboBox",
                  "TcxDBShellComboBox",   "TRxLookupEdit",          "TRxDBLookupCombo",
                  "TRzDateTimeEdit",      "TRzColorEdit",           "TRzDateTimePicker",
                  "TRzDBDateTimeEdit",    "TRzDbColorEdit",         "TRzDBDateTimePicker",
                  "TLMDListCombobox",     "TLMDCheckListCombobox",  "TLMDHeaderListCombobox",
                  "TLMDImageCombobox",    "TLMDColorCombobox",      "TLMDFontCombobox",
                  "TLMDFontSizeCombobox", "TLMDFontSizeCombobox",   "TLMDPrinterCombobox",
                  "TLMDDriveCombobox",    "TLMDCalculatorComboBox", "TLMDTrackBarComboBox",
                  "TLMDCalendarComboBox", "TLMDTreeComboBox",       "TWWTempKeyCombo"}},
    {"Combobox",
     {"TDBLookupCombobox", "TWWDBCombobox", "TWWDBCombobox", "TWWDBLookupCombo", "TWWKeyCombo", "TWWDBDateTimePicker"}},
    {"speedbutton", {"TRxSpeedButton", "TfrSpeedButton", "TfrTBButton"}},
    {"button", {"TRzButton"}},
    {"bitbtn", {"TRzBitbtn", "TLMDButton", "TcxButton"}},
    {"menubtn", {"TRzMenuButton"}},
    {"CheckGroup", {"TRzCheckGroup", "TLMDCheckGroup", "TLMDDBCheckGroup"}},
    {"Radiogroup", {"TRzRadioGroup", "TRzDBRadioGroup"}},
    {"radiogroup", {"TLMDRADIOGROUP", "TLMDDBRADIOGROUP", "TWWRADIOGROUP", "TcxDBRadioGroup", "TcxRadioGroup"}},
    {"Edit",
     {"TRzButtonEdit",    "TLMDEDIT",          "TLMDMASKEDIT",       "TLMDBROWSEEDIT",     "TLMDEXTSPINEDIT",
      "TLMDCALENDAREDIT", "TLMDFILEOPENEDIT",  "TLMDFILESAVEEDIT",   "TLMDCOLOREDIT",      "TLMDDBEDIT",
      "TLMDDBMASKEDIT",   "TLMDDBEXTSPINEDIT", "TLMDDBSPINEDIT",     "TLMDDBEDITDBLookup", "TLMDEDITDBLookup",
      "TWWDBEDIT",        "TOVCPICTUREFIELD",  "TOVCDBPICTUREFIELD", "TOVCSLIDEREDIT",     "TOVCDBSLIDEREDIT",
      "TOVCSIMPLEFIELD",  "TOVCDBSIMPLEFIELD", "TO32DBFLEXEDIT",     "TOVCNUMERICFIELD",   "TOVCDBNUMERICFIELD"}},
    {"edit", {"TLMDCalculatorEdit"}},
    {"Radiobutton", {"TRzDBRadioButton", "TLMDRadiobutton"}},
    {"Checkbox", {"TDBCheckboxEh", "TDBCheckboxEh", "TLMDCHECKBOX", "TLMDDBCHECKBOX"}},
    {"Groupbox", {"TLMDGroupBox"}},
    {"groupbox", {"TcxGroupbox"}},
};

}  // namespace

std::vector<std::string> DefaultSkin3rd() {
    std::vector<std::string> lines;
    for (const TKindGroup& group : DefaultGroups)
        for (const char* className : group.Classes) lines.push_back(std::string(className) + "=" + group.Kind);
    return lines;
}

}  // namespace skin
