// The five control groups of the main window. Each switches its fixed set of controls on or
// off together, so that only the commands that make sense for the active document can be used.
#pragma once

class TMF;

// "Connect", the exposure-time selector, the colour and step lists, the cut-off controls and
// the trimming switch.
void enableConnecting(TMF& window, bool on);
// The "Energy Calc." controls, the &Project menu (shown or hidden), the add command, the
// maximum-values button; "Delete Last Layer" only when the active document has a layer.
void enableMeasurement(TMF& window, bool on);
// The median filter controls.
void enableFilters(TMF& window, bool on);
// The save tool buttons and menu items.
void enableSaving(TMF& window, bool on);
// The layer navigation and animation row and the Image &Control menu (shown or hidden).
void enableNavigation(TMF& window, bool on);
