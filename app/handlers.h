// The program's event handlers and thread routine, bound to the windows by
// their definitions.
#pragma once

void PanelSetup();                            // PanelWindow created
void ExitButtonClicked();                     // 图形按钮1 clicked
void ListMouseMoved(int x, int y, int keys);  // 列表框1 mouse moved
void PanelEscape();                           // Esc on PanelWindow
void PreviewEscape();                         // Esc on PreviewWindow
void EdgeDockWatcher();                       // the watcher thread's routine
