#include "app/main_window_fixture.h"
#include "mf_enable.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

namespace {

struct Group {
    const char* name;
    void (*enable)(TMF&, bool);
    std::vector<const char*> widgets;
    std::vector<const char*> actions;
};

const std::vector<Group>& groups() {
    static const std::vector<Group> all = {
        {"connecting",
         enableConnecting,
         {"BitBtn2", "CBTrimming", "UTimeDown", "ETimeDown", "ETimeUp", "CBEV", "CBColorOrder",
          "Tcutof", "TBcutoff", "EcutofLow", "EcutofTop"},
         {}},
        {"measurement",
         enableMeasurement,
         {"BitBtn1", "RG1", "scroolCut", "ScrollBar2", "editCut", "Edit3", "ex", "ey", "ERcor",
          "Ecor", "SERange", "EnOut", "EnNoise", "autoCalc", "CBfrad", "CSDiodeSize", "DiodeOut"},
         {"GetHorizontalLine1", "MFmaxValue00Action"}},
        {"filters", enableFilters, {"BMedApply", "CBMedFiltrerAuto", "CSpinEdit1"}, {}},
        {"saving",
         enableSaving,
         {},
         {"ToolButton2Action", "ToolButton12Action", "FileSave1", "FileSaveAs1"}},
        {"navigation",
         enableNavigation,
         {"AnimBtn", "FPSUpDown", "FPSEdit", "SBimages", "EImages", "AnimCB"},
         {"Left1", "ImageRight1"}},
    };
    return all;
}

} // namespace

class ControlGroupsTest : public MainWindowTest {
protected:
    bool enabled(const char* name) const {
        if (QWidget* w = find(name)) return w->isEnabled();
        return find<QAction>(name)->isEnabled();
    }
    void expectGroup(const Group& g, bool on) const {
        for (const char* n : g.widgets)
            EXPECT_EQ(enabled(n), on) << g.name << ": " << n;
        for (const char* n : g.actions)
            EXPECT_EQ(enabled(n), on) << g.name << ": " << n;
    }
    // Puts the document into a state and runs its activation, as the openers will.
    void activateWith(TMDIChild* child, bool bufferView, bool canSave, bool animating, int layers) {
        auto& d = child->document();
        d.bufferView = bufferView;
        d.canSave = canSave;
        d.animating = animating;
        d.layerCount = layers;
        child->FormActivate();
    }
};

TEST_F(ControlGroupsTest, EverythingIsOffAfterStartUp) {
    for (const Group& g : groups())
        expectGroup(g, false);
    EXPECT_FALSE(window->Project1->menuAction()->isVisible());
    EXPECT_FALSE(window->ImageControl1->menuAction()->isVisible());
    EXPECT_FALSE(window->DelateLastLayer1->isEnabled());
    EXPECT_FALSE(window->Add1->menuAction()->isEnabled());
}

TEST_F(ControlGroupsTest, EachGroupSwitchesExactlyItsMembers) {
    window->createDocument()->document().layerCount = 1;
    for (const Group& g : groups()) {
        for (const Group& other : groups())
            other.enable(*window, false);
        g.enable(*window, true);
        for (const Group& other : groups())
            expectGroup(other, &other == &g);
        g.enable(*window, false);
        expectGroup(g, false);
    }
}

TEST_F(ControlGroupsTest, MeasurementShowsProjectMenuAndGuardsDeleteLastLayer) {
    TMDIChild* child = window->createDocument();
    child->document().layerCount = 0;
    enableMeasurement(*window, true);
    EXPECT_TRUE(window->Project1->menuAction()->isVisible());
    EXPECT_TRUE(window->BitBtn1->isEnabled());
    EXPECT_FALSE(window->DelateLastLayer1->isEnabled());

    child->document().layerCount = 1;
    enableMeasurement(*window, true);
    EXPECT_TRUE(window->DelateLastLayer1->isEnabled());
    enableMeasurement(*window, false);
    EXPECT_FALSE(window->DelateLastLayer1->isEnabled());
    EXPECT_FALSE(window->Project1->menuAction()->isVisible());
}

TEST_F(ControlGroupsTest, UnconnectedSeriesEnablesConnectingFiltersAndNavigation) {
    activateWith(window->createDocument(), /*bufferView*/ true, /*canSave*/ false,
                 /*animating*/ true, 3);
    EXPECT_TRUE(window->BitBtn2->isEnabled());
    EXPECT_TRUE(window->BMedApply->isEnabled());
    EXPECT_TRUE(window->AnimBtn->isEnabled());
    EXPECT_TRUE(window->ImageControl1->menuAction()->isVisible());
    EXPECT_FALSE(window->BitBtn1->isEnabled());
    EXPECT_FALSE(window->ToolButton2->isEnabled());
    EXPECT_FALSE(window->Project1->menuAction()->isVisible());
}

TEST_F(ControlGroupsTest, FloatLayersWithoutLayerCountKeepDeleteLastLayerOff) {
    activateWith(window->createDocument(), false, true, false, 0);
    EXPECT_TRUE(window->BitBtn1->isEnabled());
    EXPECT_FALSE(window->DelateLastLayer1->isEnabled());
    EXPECT_TRUE(window->ToolButton2->isEnabled());
    EXPECT_FALSE(window->BitBtn2->isEnabled());
    EXPECT_FALSE(window->AnimBtn->isEnabled());
}

TEST_F(ControlGroupsTest, GroupsFollowTheActiveDocument) {
    TMDIChild* series = window->createDocument();
    activateWith(series, true, false, true, 3);
    TMDIChild* layers = window->createDocument();
    activateWith(layers, false, true, false, 2);
    EXPECT_TRUE(window->BitBtn1->isEnabled());
    EXPECT_FALSE(window->BitBtn2->isEnabled());

    window->mdiArea->setActiveSubWindow(series);
    EXPECT_TRUE(window->BitBtn2->isEnabled());
    EXPECT_FALSE(window->BitBtn1->isEnabled());
    EXPECT_EQ(window->SBimages->maximum(), 2);

    window->mdiArea->setActiveSubWindow(layers);
    EXPECT_TRUE(window->DelateLastLayer1->isEnabled());
    EXPECT_EQ(window->SBimages->maximum(), 1);
}

TEST_F(ControlGroupsTest, ClosingTheLastDocumentSwitchesEverythingOff) {
    TMDIChild* child = window->createDocument();
    activateWith(child, false, true, true, 1);
    EXPECT_TRUE(window->BitBtn1->isEnabled());
    closeDocument(child);
    EXPECT_TRUE(window->documents().isEmpty());
    for (const Group& g : groups())
        expectGroup(g, false);
    EXPECT_FALSE(window->Project1->menuAction()->isVisible());
    EXPECT_FALSE(window->ImageControl1->menuAction()->isVisible());
}
