#!/usr/bin/python3
"""Writes app/quakeslatewindow.ui, the form of the document window.

The window has 81 actions whose texts, shortcuts, tips, icons and states must
agree across the menus and the tool bar; keeping them in one table here and
generating the Designer XML keeps them from drifting apart. The generated form
is committed, so the build never runs this script. After changing the table:

    /usr/bin/python3 app/tools/make_window_form.py [output.ui]
"""

import os
import sys
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
FORM = os.path.join(HERE, "..", "quakeslatewindow.ui")
QRC = "../resources/window.qrc"

SEPARATOR = "separator"

# One row per action, in the order the form declares (and so creates) them.
# Keys: text, shortcut, tip (tool tip), icon (file under :/images/), icontext,
# checkable, checked, disabled, role (menu role). Missing keys keep the
# toolkit's defaults.
ACTIONS = [
    ("actionNewQuakeslate", dict(text="New Quakeslate", shortcut="Ctrl+N")),
    ("actionOpenQuakeslate", dict(text="Open Canvas...", shortcut="Ctrl+O", icon="tool-open-24.png",
                                  icontext="Open", disabled=True)),
    ("actionClose", dict(text="Close Canvas", shortcut="Ctrl+W")),
    ("actionSave", dict(text="Save Canvas...", shortcut="Ctrl+S", icon="tool-save-24.png", icontext="Save",
                        disabled=True)),
    ("actionPrint", dict(text="Print...", shortcut="Ctrl+P", tip="Print canvas", icon="tool-print-24.png",
                         disabled=True)),
    ("actionSelectionCursor", dict(text="Select", tip="Select traces", icon="tool-select-24.png",
                                   checkable=True, checked=True)),
    ("actionCut", dict(text="Cut", shortcut="Ctrl+X", role="NoRole")),
    ("actionCopy", dict(text="Copy", shortcut="Ctrl+C", tip="Copy selection", disabled=True)),
    ("actionPaste", dict(text="Paste", shortcut="Ctrl+V")),
    ("actionSelectAll", dict(text="Select All", shortcut="Ctrl+A", icon="tool-select-all-24.png")),
    ("actionImportFromTAVOWebServices", dict(text="TAVO Web Services...", tip="Import from TAVO Web Services",
                                             icon="tool-TAVO-cloud-24.png", icontext="Import TAVO")),
    ("actionImportFromSACBinaryFiles", dict(text="SAC Binary File(s)...", tip="Import SAC Binary Files",
                                            icon="tool-import-SAC-24.png", icontext="Import SAC")),
    ("actionMeasureCursor", dict(text="Measure", tip="Measure times", icon="tool-tsquare-24.png",
                                 checkable=True)),
    ("actionPickCursor", dict(text="Pick", tip="Pick arrival times", icon="tool-pick-24.png", checkable=True)),
    ("actionZoomCursor", dict(text="Zoom", tip="Zoom in or out", icon="tool-zoom-24.png", checkable=True)),
    ("actionViewSeismogramList", dict(text="Seismogram List", checkable=True, checked=True)),
    ("actionOverlaySelectedTraces", dict(text="Overlay Selected Traces", disabled=True)),
    ("actionShowTrueRelativeAmplitudes", dict(text="Show True Relative Amplitudes", disabled=True,
                                              role="NoRole")),
    ("actionIncreaseTraceAmplitudes", dict(text="Increase Selected Amplitudes",
                                           tip="Increase the amplitude of selected traces",
                                           icon="tool-increase-amp-24.png", icontext="+ Amp", disabled=True)),
    ("actionDecreaseTraceAmplitudes", dict(text="Decrease Selected Amplitudes",
                                           tip="Decrease the amplitudes of selected traces",
                                           icon="tool-decrease-amp-24.png", icontext="- Amp", disabled=True)),
    ("actionInvertSelectedTraces", dict(text="Invert Selected Traces", disabled=True)),
    ("actionStretchTimeAxis", dict(text="Stretch Time Axis", shortcut="Ctrl+Right", tip="Stretch the Time Axis",
                                   icon="tool-stretch-time-24.png", icontext="Stretch", disabled=True)),
    ("actionCompressTimeAxis", dict(text="Compress Time Axis", shortcut="Ctrl+Left",
                                    icon="tool-compress-time-24.png", icontext="Compress", disabled=True)),
    ("actionStretchVerticalAxis", dict(text="Stretch Vertical Axis", shortcut="Ctrl+Down",
                                       tip="Stretch the vertical axis of the canvas", disabled=True)),
    ("actionCompressVerticalAxis", dict(text="Compress Vertical Axis", shortcut="Ctrl+Up",
                                        tip="Compress the vertical axis of the canvas", disabled=True)),
    ("actionFitInWindow", dict(text="Fit Canvas in Window", shortcut="Ctrl+F", tip="Fit entire canvas in window",
                               icontext="Fit")),
    ("actionDeselectAll", dict(text="Deselect All", shortcut="Ctrl+D", icon="tool-select-none-24.png")),
    ("actionRemoveSelectionMeans", dict(text="Remove Selection Means",
                                        tip="Remove the mean of the selected section from the entire seismogram",
                                        disabled=True)),
    ("actionTrimToSelection", dict(text="Trim to Selection", tip="Trim seismogram to selection", disabled=True)),
    ("actionFindSelectionMinMaxMean", dict(text="Find Selection Min/Max/Mean",
                                           tip="Find the minimum, maximum and mean amplitude values in the "
                                               "selection")),
    ("actionAboutQuakeslate", dict(text="About Quakeslate", role="AboutRole")),
    ("actionShowHidePicks", dict(text="Hide Picks", tip="Show or hide phase picks", disabled=True, role="NoRole")),
    ("actionShowHidePredictedArrivalTimes", dict(text="Show Predicted Arrival Times",
                                                 tip="Show predicted phase arrivals based on a radial Earth model",
                                                 disabled=True, role="NoRole")),
    ("actionEqualizeSelectedAmplitudes", dict(text="Equalize Selected Amplitudes",
                                              tip="Equalize amplitudes of selected seismograms", disabled=True)),
    ("actionRestoreOriginalPolarities", dict(text="Restore Original Polarities",
                                             tip="Restore all seismograms to their original polarity",
                                             disabled=True)),
    ("actionViewRecordSection", dict(text="Record Section", checkable=True)),
    ("actionLowPassFilter", dict(text="Low Pass", icon="tool-filter-24.png")),
    ("actionBandPassFilter", dict(text="Band Pass")),
    ("actionHighPassFilter", dict(text="High Pass")),
    ("actionBandRejectFilter", dict(text="Band Reject")),
    ("actionRemoveSelectedTrends", dict(text="Remove Selected Trends",
                                        tip="Remove the trend of the selected section from the entire seismogram")),
    ("actionDecimate", dict(text="Decimate...")),
    ("actionTaper", dict(text="Taper...")),
    ("actionEnvelope", dict(text="Envelope...")),
    ("actionSmooth", dict(text="Smooth...")),
    ("actionExportPicksCSV", dict(text="Export Picks to CSV...",
                                  tip="Export current picks to a comma-delimited ASCII file", disabled=True)),
    ("actionRevertToOriginal", dict(text="Revert to Original")),
    ("actionFitCanvasToSeismograms", dict(text="Fit Canvas to Seismograms")),
    ("actionPlotSpectrum", dict(text="Plot Spectra of Selection")),
    ("actionFormatSelectedTraces", dict(text="Format Selected Traces...")),
    ("actionExit", dict(text="Exit", shortcut="Ctrl+Q", role="QuitRole")),
    ("actionFitHeightInWindow", dict(text="Fit Height", tip="Fit height of canvas in window",
                                     icon="tool-fit-height-24.png")),
    ("actionFitWidthInWindow", dict(text="Fit Width", tip="Fit width of canvas in window",
                                    icon="tool-fit-width-24.png")),
    ("actionFilter", dict(text="Filter", tip="Filter selected traces", icon="tool-filter-24.png")),
    ("actionDelete", dict(text="Delete", shortcut="Backspace", tip="Delete selection",
                          icon="tool-talltrashbin-24.png")),
    ("actionFlipVerticalAxis", dict(text="Flip Vertical Axis", checkable=True)),
    ("actionExportPDF", dict(text="Export to PDF...", tip="Export canvas to a PDF file",
                             icon="tool-export-pdf-24.png")),
    ("actionCreateEvent", dict(text="Create Event...", tip="Create a new seismic event")),
    ("actionImportFromMiniSEEDFiles", dict(text="MiniSEED File(s)...", tip="import MiniSEED Files",
                                           icon="tool-import-SEED-24.png")),
    ("actionDownloadEvent", dict(text="Download Event Data from Web Services...",
                                 icon="tool-event-download-24.png")),
    ("actionExportSACBinaryFiles", dict(text="SAC Binary Files...")),
    ("actionExportMiniSEEDFile", dict(text="MiniSEED File...")),
    ("actionGetTraceInfo", dict(text="Get Info", shortcut="Ctrl+I", tip="Get information on selected traces",
                                disabled=True)),
    ("actionHideSelectedTraces", dict(text="Hide Selected Traces", disabled=True)),
    ("actionShowAllTraces", dict(text="Show All Traces", disabled=True)),
    ("actionPlaceholderForArrangeTracesBy", dict(text="PlaceholderForArrangeTracesBy")),
    ("actionUTCTime", dict(text="Coordinated Universal Time (UTC)", checkable=True, checked=True)),
    ("actionRelativeTime", dict(text="Relative Time", checkable=True, disabled=True)),
    ("actionConfigurePredictedPhases", dict(text="Configure Predicted Phases...",
                                            tip="Configure Theoretical Phases", role="NoRole")),
    ("actionPlotSpectrogram", dict(text="Plot Spectrogram of Selection")),
    ("actionImportFromGeoCSVFiles", dict(text="Geo CSV File(s)...", tip="Geo CSV single or two columns")),
    ("actionAlignByUTC", dict(text="Coordinate Universal Time (UTC)")),
    ("actionAlignByEventOriginTime", dict(text="Event Origin Time")),
    ("actionAlignByPredictedArrivalTime", dict(text="Predicted Arrival Time")),
    ("actionMoveCursor", dict(text="Move", tip="Move Traces", icon="tool-drag-24.png", checkable=True)),
    ("actionExportGeoCSVFiles", dict(text="GeoCSV ASCII Files...", tip="2 column GeoCSV ASCII Files")),
    ("actionFocalMechanism", dict(text="Focal Mechanism")),
    ("actionClearPicksfromSelectedTraces", dict(text="Clear Picks from Selected Traces")),
    ("actionPlaceholderForAlignTracesBy", dict(text="PlaceholderForAlignTracesBy")),
    ("actionIntegrate", dict(text="Integrate")),
    ("actionDifferentiate", dict(text="Differentiate")),
]

# Menus: object name, title, entries (actions, submenus or separators).
# Submenus are given as nested tuples and stand in their parent's entries.
IMPORT_MENU = ("menuImportRecords", "Import Seismograms from", [
    "actionImportFromTAVOWebServices", "actionImportFromSACBinaryFiles",
    "actionImportFromMiniSEEDFiles", "actionImportFromGeoCSVFiles",
])
EXPORT_MENU = ("menuExportSelectedSeismograms", "Export Selected Seismograms to", [
    "actionExportSACBinaryFiles", "actionExportMiniSEEDFile", "actionExportGeoCSVFiles",
])
FILTER_MENU = ("menuFilter", "Filter", [
    "actionLowPassFilter", "actionBandPassFilter", "actionHighPassFilter", "actionBandRejectFilter",
])

MENUS = [
    ("menuFile", "File", [
        "actionNewQuakeslate", "actionOpenQuakeslate", SEPARATOR,
        "actionDownloadEvent", SEPARATOR,
        IMPORT_MENU, EXPORT_MENU, "actionExportPicksCSV", SEPARATOR,
        "actionClose", "actionSave", SEPARATOR,
        "actionPrint", "actionExportPDF", SEPARATOR,
        "actionExit",
    ]),
    ("menuEdit", "Edit", [
        "actionCut", "actionCopy", "actionPaste", "actionDelete", SEPARATOR,
        "actionSelectAll", "actionDeselectAll",
    ]),
    ("menuView", "View", [
        "actionViewSeismogramList", "actionViewRecordSection", SEPARATOR,
        "actionUTCTime", "actionRelativeTime", SEPARATOR,
        "actionShowHidePicks", "actionShowHidePredictedArrivalTimes", "actionConfigurePredictedPhases", SEPARATOR,
        "actionFitInWindow", "actionFitCanvasToSeismograms", SEPARATOR,
        "actionStretchTimeAxis", "actionCompressTimeAxis", SEPARATOR,
        "actionStretchVerticalAxis", "actionCompressVerticalAxis", "actionFlipVerticalAxis",
    ]),
    ("menuTraces", "Traces", [
        "actionPlaceholderForArrangeTracesBy", "actionPlaceholderForAlignTracesBy", SEPARATOR,
        "actionShowTrueRelativeAmplitudes", "actionEqualizeSelectedAmplitudes",
        "actionIncreaseTraceAmplitudes", "actionDecreaseTraceAmplitudes", SEPARATOR,
        "actionInvertSelectedTraces", "actionRestoreOriginalPolarities", SEPARATOR,
        "actionHideSelectedTraces", "actionShowAllTraces", SEPARATOR,
        "actionOverlaySelectedTraces", "actionFormatSelectedTraces", SEPARATOR,
        "actionClearPicksfromSelectedTraces", SEPARATOR,
        "actionGetTraceInfo",
    ]),
    ("menuEvents", "Events", [
        "actionDownloadEvent", "actionCreateEvent",
    ]),
    ("menuAnalysis", "Process", [
        "actionTrimToSelection", "actionRemoveSelectionMeans", "actionRemoveSelectedTrends", SEPARATOR,
        FILTER_MENU, SEPARATOR,
        "actionSmooth", "actionDecimate", "actionTaper", "actionEnvelope", SEPARATOR,
        "actionIntegrate", SEPARATOR,
        "actionRevertToOriginal",
    ]),
    ("menuAnalyze", "Analyze", [
        "actionFindSelectionMinMaxMean", "actionPlotSpectrum", "actionPlotSpectrogram",
    ]),
    ("menuHelp", "Help", [
        SEPARATOR, "actionAboutQuakeslate",
    ]),
]

TOOL_BAR = [
    "actionOpenQuakeslate", "actionSave", SEPARATOR,
    "actionPrint", "actionExportPDF", SEPARATOR,
    "actionDownloadEvent", "actionImportFromTAVOWebServices", "actionImportFromSACBinaryFiles",
    "actionImportFromMiniSEEDFiles", SEPARATOR,
    "actionSelectAll", "actionDeselectAll", "actionDelete", SEPARATOR,
    "actionFitHeightInWindow", "actionFitWidthInWindow", SEPARATOR,
    "actionStretchTimeAxis", "actionCompressTimeAxis", SEPARATOR,
    "actionIncreaseTraceAmplitudes", "actionDecreaseTraceAmplitudes", SEPARATOR,
    "actionFilter",
]

# The column of cursor-tool buttons, top to bottom; the window gives each
# button its action when it is built.
CURSOR_BUTTONS = [
    "selectionCursorButton", "moveCursorButton", "zoomCursorButton", "measureCursorButton", "pickCursorButton",
]

KNOWN_KEYS = {"text", "shortcut", "tip", "icon", "icontext", "checkable", "checked", "disabled", "role"}


class Writer:
    def __init__(self):
        self.lines = []
        self.depth = 0

    def line(self, text):
        self.lines.append(" " * self.depth + text)

    def open(self, text):
        self.line(text)
        self.depth += 1

    def close(self, text):
        self.depth -= 1
        self.line(text)

    def prop(self, name, kind, value):
        self.line('<property name="%s">' % name)
        self.depth += 1
        self.line("<%s>%s</%s>" % (kind, value, kind))
        self.depth -= 1
        self.line("</property>")

    def string(self, name, value):
        self.prop(name, "string", escape(value))

    def boolean(self, name, value):
        self.prop(name, "bool", "true" if value else "false")


def menu_actions(entries):
    """Every action placed in a menu, submenus included."""
    found = set()
    for entry in entries:
        if isinstance(entry, tuple):
            found |= menu_actions(entry[2])
        elif entry != SEPARATOR:
            found.add(entry)
    return found


def check_tables():
    names = [name for name, _ in ACTIONS]
    if len(names) != 81 or len(set(names)) != len(names):
        sys.exit("the action table must name 81 distinct actions")
    known = set(names)
    placed = set(TOOL_BAR) - {SEPARATOR}
    for _, _, entries in MENUS:
        placed |= menu_actions(entries)
    unknown = placed - known
    if unknown:
        sys.exit("unknown actions placed: %s" % ", ".join(sorted(unknown)))
    for name, props in ACTIONS:
        extra = set(props) - KNOWN_KEYS
        if extra:
            sys.exit("%s: unknown keys %s" % (name, ", ".join(sorted(extra))))
        if "text" not in props:
            sys.exit("%s has no text" % name)


def write_menu(w, name, title, entries):
    w.open('<widget class="QMenu" name="%s">' % name)
    w.string("title", title)
    for entry in entries:
        if isinstance(entry, tuple):
            write_menu(w, *entry)
    for entry in entries:
        w.line('<addaction name="%s"/>' % (entry[0] if isinstance(entry, tuple) else entry))
    w.close("</widget>")


def write_central_widget(w):
    w.open('<widget class="QWidget" name="centralWidget">')
    w.open('<layout class="QHBoxLayout" name="centralLayout" stretch="0,10">')
    w.prop("spacing", "number", 0)
    for side in ("leftMargin", "topMargin", "rightMargin", "bottomMargin"):
        w.prop(side, "number", 0)
    w.open("<item>")
    w.open('<widget class="QFrame" name="cursorToolColumn">')
    w.open('<layout class="QVBoxLayout" name="cursorToolLayout">')
    w.prop("spacing", "number", 0)
    for side, value in (("leftMargin", 4), ("topMargin", 16), ("rightMargin", 4), ("bottomMargin", 1)):
        w.prop(side, "number", value)
    for button in CURSOR_BUTTONS:
        w.open("<item>")
        w.open('<widget class="QToolButton" name="%s">' % button)
        w.prop("iconSize", "size", "<width>24</width><height>24</height>")
        w.boolean("autoRaise", True)
        w.close("</widget>")
        w.close("</item>")
    w.open("<item>")
    w.open('<spacer name="cursorToolStretch">')
    w.prop("orientation", "enum", "Qt::Vertical")
    w.prop("sizeHint", "size", "<width>0</width><height>0</height>")
    w.close("</spacer>")
    w.close("</item>")
    w.close("</layout>")
    w.close("</widget>")
    w.close("</item>")
    # The window puts the canvas's scroll area and the analysis pane into
    # the splitter: the scroll area needs the canvas at construction.
    w.open("<item>")
    w.open('<widget class="QSplitter" name="splitter">')
    w.prop("orientation", "enum", "Qt::Vertical")
    w.close("</widget>")
    w.close("</item>")
    w.close("</layout>")
    w.close("</widget>")


def write_tool_bar(w):
    w.open('<widget class="QToolBar" name="mainToolBar">')
    w.open('<property name="sizePolicy">')
    w.open('<sizepolicy hsizetype="Preferred" vsizetype="Fixed">')
    w.line("<horstretch>0</horstretch>")
    w.line("<verstretch>0</verstretch>")
    w.close("</sizepolicy>")
    w.close("</property>")
    w.open('<property name="font">')
    w.open("<font>")
    w.line("<family>Helvetica Neue</family>")
    w.line("<pointsize>6</pointsize>")
    w.line("<weight>75</weight>")
    w.line("<bold>true</bold>")
    w.close("</font>")
    w.close("</property>")
    w.prop("layoutDirection", "enum", "Qt::LeftToRight")
    w.string("windowTitle", "Tool Bar")
    w.boolean("movable", False)
    w.prop("allowedAreas", "set", "Qt::AllToolBarAreas")
    w.prop("iconSize", "size", "<width>24</width><height>24</height>")
    w.prop("toolButtonStyle", "enum", "Qt::ToolButtonFollowStyle")
    w.boolean("floatable", False)
    w.open('<attribute name="toolBarArea">')
    w.line("<enum>TopToolBarArea</enum>")
    w.close("</attribute>")
    w.open('<attribute name="toolBarBreak">')
    w.line("<bool>false</bool>")
    w.close("</attribute>")
    for entry in TOOL_BAR:
        w.line('<addaction name="%s"/>' % entry)
    w.close("</widget>")


def write_action(w, name, props, in_menu):
    w.open('<action name="%s">' % name)
    if props.get("checkable"):
        w.boolean("checkable", True)
    if props.get("checked"):
        w.boolean("checked", True)
    if props.get("disabled"):
        w.boolean("enabled", False)
    if "icon" in props:
        path = ":/images/" + props["icon"]
        w.open('<property name="icon">')
        w.line('<iconset resource="%s"><normaloff>%s</normaloff>%s</iconset>' % (QRC, path, path))
        w.close("</property>")
    w.string("text", props["text"])
    if "icontext" in props:
        w.string("iconText", props["icontext"])
    if "tip" in props:
        w.string("toolTip", props["tip"])
    if "shortcut" in props:
        w.string("shortcut", props["shortcut"])
    if "role" in props:
        w.prop("menuRole", "enum", "QAction::" + props["role"])
    # Menus show no icons; the tool bar and the cursor column do.
    if "icon" in props and in_menu:
        w.boolean("iconVisibleInMenu", False)
    w.close("</action>")


def form():
    check_tables()
    in_menus = set()
    for _, _, entries in MENUS:
        in_menus |= menu_actions(entries)

    w = Writer()
    w.line('<?xml version="1.0" encoding="UTF-8"?>')
    w.line("<!-- Generated by app/tools/make_window_form.py; edit the table there, not this file. -->")
    w.open('<ui version="4.0">')
    w.line("<class>QuakeslateWindow</class>")
    w.open('<widget class="QMainWindow" name="QuakeslateWindow">')
    w.prop("geometry", "rect", "<x>0</x><y>0</y><width>870</width><height>656</height>")
    w.prop("font", "font", "<pointsize>13</pointsize>")
    w.string("windowTitle", "QuakeslateWindow")
    w.prop("toolButtonStyle", "enum", "Qt::ToolButtonFollowStyle")
    w.boolean("dockNestingEnabled", True)
    w.prop("dockOptions", "set",
           "QMainWindow::AllowNestedDocks|QMainWindow::AllowTabbedDocks|QMainWindow::AnimatedDocks")
    w.boolean("unifiedTitleAndToolBarOnMac", True)
    write_central_widget(w)
    w.open('<widget class="QMenuBar" name="menuBar">')
    w.prop("geometry", "rect", "<x>0</x><y>0</y><width>870</width><height>22</height>")
    for name, title, entries in MENUS:
        write_menu(w, name, title, entries)
    for name, _, _ in MENUS:
        w.line('<addaction name="%s"/>' % name)
    w.close("</widget>")
    write_tool_bar(w)
    w.line('<widget class="QStatusBar" name="statusBar"/>')
    for name, props in ACTIONS:
        write_action(w, name, props, name in in_menus)
    w.close("</widget>")
    w.open("<resources>")
    w.line('<include location="%s"/>' % QRC)
    w.close("</resources>")
    w.open("<connections>")
    w.open("<connection>")
    w.line("<sender>actionClose</sender>")
    w.line("<signal>triggered()</signal>")
    w.line("<receiver>QuakeslateWindow</receiver>")
    w.line("<slot>close()</slot>")
    w.close("</connection>")
    w.close("</connections>")
    w.close("</ui>")
    return "\n".join(w.lines) + "\n"


def main():
    # An explicit output path lets a test compare a fresh form with the
    # committed one without touching the source tree.
    target = sys.argv[1] if len(sys.argv) > 1 else FORM
    text = form()
    with open(target, "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    main()
