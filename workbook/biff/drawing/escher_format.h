#pragma once

#include <cstdint>

namespace xls {

// BIFF records that carry or accompany the OfficeArt drawing of a sheet.
inline constexpr uint16_t BIFFRECID_NOTE = 0x001C;
inline constexpr uint16_t BIFFRECID_OBJ = 0x005D;
inline constexpr uint16_t BIFFRECID_IMDATA = 0x007F;
inline constexpr uint16_t BIFFRECID_MSODRAWING = 0x00EC;
inline constexpr uint16_t BIFFRECID_MSODRAWINGSELECTION = 0x00ED;
inline constexpr uint16_t BIFFRECID_TXO = 0x01B6;
inline constexpr uint16_t BIFFRECID_BOF = 0x0809;
inline constexpr uint16_t BIFFRECID_EOF = 0x000A;

// OfficeArt record types.
inline constexpr uint16_t MSOFBT_DGGCONTAINER = 0xF000;
inline constexpr uint16_t MSOFBT_BSTORECONTAINER = 0xF001;
inline constexpr uint16_t MSOFBT_DGCONTAINER = 0xF002;
inline constexpr uint16_t MSOFBT_SPGRCONTAINER = 0xF003;
inline constexpr uint16_t MSOFBT_SPCONTAINER = 0xF004;
inline constexpr uint16_t MSOFBT_SOLVERCONTAINER = 0xF005;
inline constexpr uint16_t MSOFBT_DGG = 0xF006;
inline constexpr uint16_t MSOFBT_BSE = 0xF007;
inline constexpr uint16_t MSOFBT_DG = 0xF008;
inline constexpr uint16_t MSOFBT_SPGR = 0xF009;
inline constexpr uint16_t MSOFBT_SP = 0xF00A;
inline constexpr uint16_t MSOFBT_OPT = 0xF00B;
inline constexpr uint16_t MSOFBT_CLIENTTEXTBOX = 0xF00D;
inline constexpr uint16_t MSOFBT_CHILDANCHOR = 0xF00F;
inline constexpr uint16_t MSOFBT_CLIENTANCHOR = 0xF010;
inline constexpr uint16_t MSOFBT_CLIENTDATA = 0xF011;
inline constexpr uint16_t MSOFBT_CLSID = 0xF016;
inline constexpr uint16_t MSOFBT_BLIPFIRST = 0xF018;
inline constexpr uint16_t MSOFBT_BLIPLAST = 0xF117;
inline constexpr uint16_t MSOFBT_REGROUPITEMS = 0xF118;
inline constexpr uint16_t MSOFBT_COLORMRU = 0xF11A;
inline constexpr uint16_t MSOFBT_SPLITMENUCOLORS = 0xF11E;
inline constexpr uint16_t MSOFBT_TERTIARYOPT = 0xF122;

// Version nibble of a container record.
inline constexpr uint16_t MSOContainerVersion = 0xF;

// Persist flags of OfficeArtFSP.
inline constexpr uint32_t SPFLAG_GROUP = 0x1;
inline constexpr uint32_t SPFLAG_CHILD = 0x2;
inline constexpr uint32_t SPFLAG_PATRIARCH = 0x4;
inline constexpr uint32_t SPFLAG_FLIPH = 0x40;
inline constexpr uint32_t SPFLAG_FLIPV = 0x80;
inline constexpr uint32_t SPFLAG_HAVEANCHOR = 0x200;
inline constexpr uint32_t SPFLAG_HAVESPT = 0x800;

// OBJ subrecords.
inline constexpr uint16_t OBJ_FTEND = 0x0000;
inline constexpr uint16_t OBJ_FTCF = 0x0007;
inline constexpr uint16_t OBJ_FTPIOGRBIT = 0x0008;
inline constexpr uint16_t OBJ_FTLBSDATA = 0x0013;
inline constexpr uint16_t OBJ_FTCMO = 0x0015;
inline constexpr uint16_t OBJ_FTNTS = 0x000D;

// Object types of ftCmo.
inline constexpr uint16_t OBJTYPE_LINE = 1;
inline constexpr uint16_t OBJTYPE_RECTANGLE = 2;
inline constexpr uint16_t OBJTYPE_OVAL = 3;
inline constexpr uint16_t OBJTYPE_CHART = 5;
inline constexpr uint16_t OBJTYPE_TEXT = 6;
inline constexpr uint16_t OBJTYPE_PICTURE = 8;
inline constexpr uint16_t OBJTYPE_LISTBOX = 0x12;
inline constexpr uint16_t OBJTYPE_DROPDOWN = 0x14;
inline constexpr uint16_t OBJTYPE_NOTE = 25;
inline constexpr uint16_t OBJTYPE_OFFICEART = 30;

// Shape properties the drawing layer interprets.
inline constexpr uint16_t MSOPROP_ROTATION = 0x0004;
inline constexpr uint16_t MSOPROP_LTXID = 0x0080;
inline constexpr uint16_t MSOPROP_PIB = 0x0104;
inline constexpr uint16_t MSOPROP_PIBNAME = 0x0105;
inline constexpr uint16_t MSOPROP_FBID = 0x4000;
inline constexpr uint16_t MSOPROP_FCOMPLEX = 0x8000;

// Shape types (MSOSPT).
inline constexpr uint16_t MSOSPT_LINE = 20;
inline constexpr uint16_t MSOSPT_PICTUREFRAME = 75;
inline constexpr uint16_t MSOSPT_SUN = 183;
inline constexpr uint16_t MSOSPT_HOSTCONTROL = 201;
inline constexpr uint16_t MSOSPT_TEXTBOX = 202;

}  // namespace xls
