# Sourced by the window benchmark scripts: a display for the program. Without a DISPLAY and
# with Xvfb installed, a private Xvfb is started (its pid in $xpid, for the caller's cleanup);
# with a DISPLAY that one is used; otherwise Qt draws offscreen. Sets $platform to say which.
xpid=""
platform="offscreen"
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  for n in $(seq 150 180); do
    if [ ! -e /tmp/.X11-unix/X$n ]; then disp=:$n; break; fi
  done
  Xvfb "$disp" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xpid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${disp#:}" ] && break; sleep 0.1; done
  export DISPLAY=$disp
  platform="xcb (Xvfb $disp)"
elif [ -n "${DISPLAY:-}" ]; then
  platform="xcb ($DISPLAY)"
else
  export QT_QPA_PLATFORM=offscreen
fi
