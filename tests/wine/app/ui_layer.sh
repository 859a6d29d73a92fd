# The GUI layer in a Windows process (tests/win32/app_ui_probe): a form built from a stored layout
# at 120 pixels per inch and scaled to the screen, its window class, styles and alignment, the
# transparent image painted over its panel, Enter and Esc reaching the Default and Cancel buttons
# while the rich edit box has the focus, the message hook, the close query (also for
# WM_QUERYENDSESSION), a failing creation handler's box, and hide-before-destroy at the end.
source "$(dirname "$0")/../lib.sh"

PROBE="$RUN_DIR/tests/win32/app_ui_probe/app_ui_probe.exe"
READER="$RUN_DIR/tests/win32/app_box_reader/app_box_reader.exe"

start_bg pid bash -c "'$WINE' '$PROBE' > '$WORK/facts.txt' 2>/dev/null"
box=$("$WINE" "$READER" "probe title" 30 2>/dev/null | tr -d '\r')
wait_exit "$pid" 60
check_eq "the probe ends normally" 0 "$EXIT_CODE"
fact() { tr -d '\r' < "$WORK/facts.txt" | sed -n "s/^$1=//p"; }

ppi=$(fact screen_ppi)
scale() { echo $(( ($1 * ppi + 60) / 120 )); }
check_eq "the title defaults to the executable's name" app_ui_probe "$(fact default_title)"
check_eq "the first form is the main form" 1 "$(fact main_is_first)"
check_eq "OnCreate runs once after loading" "create," "$(fact events_after_create)"
check_eq "the window class is the form's class" TfrmProbe "$(fact window_class)"
check_eq "ClientWidth is scaled to the screen" "$(scale 303)" "$(fact client_width)"
check_eq "ClientHeight is scaled to the screen" "$(scale 311)" "$(fact client_height)"
check_eq "stay-on-top makes the window topmost" 1 "$(fact topmost)"
check_eq "the dialog has a system menu" 1 "$(fact system_menu)"
check_eq "and no minimise box" 0 "$(fact minimize_box)"
check_eq "the application window owns the form" 1 "$(fact owner_is_application)"
check_eq "a bottom-aligned panel sits at the bottom" "$(( $(scale 311) - $(scale 46) ))" "$(fact panel_top)"
check_eq "and spans the width" "$(scale 303)" "$(fact panel_width)"
check_eq "AutoSize takes the picture's size" 4x2 "$(fact image_size)"
check_eq "showing runs OnShow" "create,show," "$(fact events_after_show)"
check_eq "the form is visible" 1 "$(fact form_visible)"
check_eq "screen-centre position" 1 "$(fact centred_left)"
check_eq "ActiveControl has the focus" 1 "$(fact focus_on_ok)"
check_eq "RTF is shown formatted" "Bold words" "$(fact rich_text)"
check_eq "the panel paints its colour (red)" 0000FF "$(fact panel_pixel)"
check_eq "the picture's transparent colour shows the panel" 0000FF "$(fact transparent_pixel)"
check_eq "its other pixels are drawn (green)" 00FF00 "$(fact opaque_pixel)"
check_eq "Enter and Esc in the rich edit box press Default and Cancel" "ok,cancel," "$(fact keys)"
check_eq "the message hook sees a posted message once" 1 "$(fact hook_seen)"
check_eq "a refused close query keeps the form" "query,visible" "$(fact refused_close)"
check_eq "WM_QUERYENDSESSION answers the refusal" 0 "$(fact end_session_refused)"
check_eq "and the consent" 1 "$(fact end_session_allowed)"
check_eq "without closing the form" 1 "$(fact still_visible)"
check_eq "a quit message marks the application terminated" 1 "$(fact terminated_by_quit)"
check_eq "a failing OnCreate shows its message in a box" "creation failed here" "$box"
check_eq "and the form exists all the same" 1 "$(fact failing_form_exists)"
check_eq "a shown form is hidden, then destroyed while still whole" "hide,destroy-whole," "$(fact events_at_end)"
check_eq "its window is gone" 1 "$(fact window_gone)"
finish
