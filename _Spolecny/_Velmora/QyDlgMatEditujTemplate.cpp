// Template 503 of the editing dialog: every control at its position and size in dialog units.
// Where the template gives a control's position only (labels, check boxes and radio buttons),
// its width reaches to the next control of the row; such sizes are listed in docs/decisions.md.

#include "QyDlgMatEdituj.h"

#include "CheckedEdit.h"
#include "MatDlgTemplate.h"
#include "WindowServices.h"

#include <QComboBox>

using namespace MatDlgId;

namespace {

constexpr unsigned kBelowList = AnchorMoveY;
constexpr unsigned kBottomRight = AnchorMoveX | AnchorMoveY;

// Template 503, "Editace materiálů", 553 x 354 dialog units; table order is the tab order.
constexpr TemplateControlSpec kTemplate503[] = {
    {IdcMaterialCaption, TemplateControl::Caption, "Materiály potrubí", {11, 33, 98, 16}, 0},
    {IdcGroupZti, TemplateControl::Radio, "ZTI", {272, 11, 35, 10}, 0},
    {IdcGroupNetworks, TemplateControl::Radio, "Inženýrské sítě", {325, 11, 77, 10}, 0},
    {IdcGroupAll, TemplateControl::Radio, "Vše", {420, 11, 35, 10}, 0},
    {IdcAddMaterial, TemplateControl::Button, "+", {10, 52, 20, 20}, 0},
    {IdcDeleteMaterial, TemplateControl::Button, "X", {34, 52, 20, 20}, 0},
    {IdcCopyMaterial, TemplateControl::Button, "%", {58, 52, 20, 20}, 0},
    {IdcEditMaterial, TemplateControl::Button, "...", {82, 52, 20, 20}, 0},
    {-1, TemplateControl::GroupBox, "Filtrovat", {108, 33, 139, 40}, 0},
    {IdcFilterSewer, TemplateControl::Radio, "Kanalizace", {116, 43, 50, 10}, 0},
    {IdcFilterPressureSewer, TemplateControl::Radio, "Tlak. kan.", {116, 58, 50, 10}, 0},
    {IdcFilterWater, TemplateControl::Radio, "Voda", {171, 43, 36, 10}, 0},
    {IdcFilterGas, TemplateControl::Radio, "Plyn", {171, 58, 36, 10}, 0},
    {IdcFilterHeating, TemplateControl::Radio, "Tpl.", {211, 43, 30, 10}, 0},
    {IdcFilterAll, TemplateControl::Radio, "Vše", {211, 58, 30, 10}, 0},
    {IdcMaterialList, TemplateControl::ListView, nullptr, {10, 80, 237, 101}, AnchorGrowY},
    {IdcGroupCheckZti, TemplateControl::Check, "ZTI", {93, 187, 50, 10}, kBelowList},
    {IdcGroupCheckNetworks, TemplateControl::Check, "Inženýrské sítě", {146, 187, 75, 10}, kBelowList},
    {IdcPurposeWater, TemplateControl::Check, "Voda", {13, 205, 32, 10}, kBelowList},
    {IdcPurposeGas, TemplateControl::Check, "Plyn", {47, 205, 29, 10}, kBelowList},
    {IdcPurposeSewer, TemplateControl::Check, "Kanalizace", {78, 205, 52, 10}, kBelowList},
    {IdcPurposePressureSewer, TemplateControl::Check, "Kan. tlaková", {132, 205, 55, 10}, kBelowList},
    {IdcPurposeHeating, TemplateControl::Check, "Teplovody/UT", {189, 205, 58, 10}, kBelowList},
    {IdcLabelName, TemplateControl::LabelRight, "Název:", {13, 226, 30, 8}, kBelowList},
    {IdcName, TemplateControl::Edit, nullptr, {46, 223, 81, 14}, kBelowList},
    {IdcLabelPopis, TemplateControl::LabelRight, "Popis:", {135, 226, 25, 8}, kBelowList},
    {IdcPopis, TemplateControl::Edit, nullptr, {162, 223, 85, 14}, kBelowList},
    {IdcLabelManufacturer, TemplateControl::LabelRight, "Výrobce:", {13, 244, 30, 8}, kBelowList},
    {IdcManufacturer, TemplateControl::Edit, nullptr, {46, 241, 201, 14}, kBelowList},
    {IdcLabelDetail, TemplateControl::LabelRight, "Podrobný popis:", {13, 262, 55, 8}, kBelowList},
    {IdcDetail, TemplateControl::Edit, nullptr, {71, 260, 198, 14}, kBelowList},
    {IdcLabelPn, TemplateControl::LabelRight, "Tl. třída:", {12, 286, 30, 8}, kBelowList},
    {IdcComboPn, TemplateControl::DropDown, nullptr, {44, 283, 45, 30}, kBelowList},
    {IdcLabelSdr, TemplateControl::LabelRight, "SDr:", {25, 304, 17, 8}, kBelowList},
    {IdcComboSdr, TemplateControl::DropDown, nullptr, {44, 302, 45, 30}, kBelowList},
    {IdcLabelRoughness, TemplateControl::Label, "Drsnost [mm]:", {107, 285, 55, 8}, kBelowList},
    {IdcRoughness, TemplateControl::Edit, nullptr, {164, 282, 49, 14}, kBelowList},
    {IdcLabelDescMode, TemplateControl::Label, "Popis:", {107, 304, 30, 8}, kBelowList},
    {IdcDescDn, TemplateControl::Radio, "DN", {139, 303, 29, 10}, kBelowList},
    {IdcDescDxT, TemplateControl::Radio, "D x t", {170, 303, 34, 10}, kBelowList},
    {IdcDescOther, TemplateControl::Radio, "Jiný", {206, 303, 36, 10}, kBelowList},
    {-1, TemplateControl::GroupBox, "", {10, 318, 263, 26}, kBelowList},
    {IdcShapeCircle, TemplateControl::Radio, "Kruh", {25, 328, 38, 10}, kBelowList},
    {IdcShapeEgg, TemplateControl::Radio, "Vejce", {65, 328, 40, 10}, kBelowList},
    {IdcShapeEggPrague, TemplateControl::Radio, "Vejce - Praha", {107, 328, 66, 10}, kBelowList},
    {IdcShapeMouth, TemplateControl::Radio, "Tlama", {175, 328, 42, 10}, kBelowList},
    {IdcShapeRectangle, TemplateControl::Radio, "Obdélník", {219, 328, 50, 10}, kBelowList},
    {IdcCancelMaterial, TemplateControl::Button, "Zruš..", {245, 279, 30, 14}, kBelowList},
    {IdcSaveMaterial, TemplateControl::Button, "Ulož..", {245, 301, 30, 14}, kBelowList},
    {IdcProfileCaption, TemplateControl::Caption, "Profily", {269, 34, 152, 14}, 0},
    {IdcAddProfile, TemplateControl::Button, "+", {269, 52, 20, 20}, 0},
    {IdcDeleteProfile, TemplateControl::Button, "X", {295, 52, 20, 20}, 0},
    {IdcDeleteAllProfiles, TemplateControl::Button, "Vymazat vše", {334, 53, 53, 18}, 0},
    {IdcGenerateProfiles, TemplateControl::Button, "Generovat...", {399, 53, 56, 18}, 0},
    {IdcProfilePlaceholder, TemplateControl::Frame, nullptr, {268, 80, 275, 148}, AnchorGrow},
    {-1, TemplateControl::Label, "Kód URS montáž:", {363, 248, 60, 8}, kBottomRight},
    {IdcUrsAssembly, TemplateControl::Edit, nullptr, {425, 245, 118, 14}, kBottomRight},
    {-1, TemplateControl::Label, "Kód URS materiál:", {361, 268, 62, 8}, kBottomRight},
    {IdcUrsMaterial, TemplateControl::Edit, nullptr, {425, 265, 118, 14}, kBottomRight},
    {IdcLoadFromFile, TemplateControl::Button, "Načíst ze souboru...", {291, 289, 81, 14}, AnchorMoveY},
    {IdcLoadStandard, TemplateControl::Button, "Načíst standardní...", {291, 330, 81, 14}, AnchorMoveY},
    {IdcHelpButton, TemplateControl::Button, "?", {382, 330, 15, 14}, kBottomRight},
    {IDCANCEL, TemplateControl::Button, "Zruš", {407, 330, 42, 14}, kBottomRight},
    {IDOK, TemplateControl::DefaultButton, "OK", {501, 330, 42, 14}, kBottomRight},
};

} // namespace

void CQyDlgMatEdituj::CreateTemplate503()
{
    setWindowTitle(QStringLiteral("Editace materiálů"));
    SetTemplateSize(553, 354);
    // Shown in the task bar like a main window, with a minimize box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    const std::map<int, QWidget*> validatedEdits{
        {IdcRoughness, m_editRoughness},
        {IdcName, m_editName},
        {IdcPopis, m_editPopis},
        {IdcManufacturer, m_editManufacturer},
    };
    BuildTemplate(*this, kTemplate503, validatedEdits);

    MakeRadioGroup({IdcGroupZti, IdcGroupNetworks, IdcGroupAll});
    MakeRadioGroup({IdcFilterSewer, IdcFilterPressureSewer, IdcFilterWater, IdcFilterGas, IdcFilterHeating, IdcFilterAll});
    MakeRadioGroup({IdcDescDn, IdcDescDxT, IdcDescOther});
    MakeRadioGroup({IdcShapeCircle, IdcShapeEgg, IdcShapeEggPrague, IdcShapeMouth, IdcShapeRectangle});
}
