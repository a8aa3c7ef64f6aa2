# Sourced by the Wine tests: a Wine prefix and a test HOME of their own under the given folder, made once
# (non-interactively) and shared by every test of the run. Sets WINE, WINEPREFIX, HOME and friends.
# Usage: . wine_env.sh <folder>; returns 77 (skip) when Wine is not installed.
wine_root=$(realpath -m "${1:?usage: . wine_env.sh <folder>}")
WINE=$(command -v wine || command -v wine64 || true)
if [ -z "$WINE" ]; then
  echo "SKIP: Wine is not installed (scripts/install-deps.sh installs it)" >&2
  return 77
fi
mkdir -p "$wine_root/home"
export WINEPREFIX=$wine_root/prefix
export HOME=$wine_root/home
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or web engine: neither is needed, and Wine would otherwise ask to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# waveOut opens on a null ALSA device, so the sound path runs without a sound card.
printf 'pcm.!default { type null }\nctl.!default { type null }\n' >"$HOME/.asoundrc"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.vesk-ready" ]; then
    start=$(date +%s)
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i >"$wine_root/wineboot.log" 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vesk-ready"
    echo "wine prefix made in $(( $(date +%s) - start )) s" >&2
  fi
) 9>"$wine_root/prefix.lock"
