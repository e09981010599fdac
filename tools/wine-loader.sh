# Sourced (by tools/wine-prefix and each build's wine-run) with WINEARCH set: the Wine loader
# for that architecture, in tarn_wine.
tarn_wine=wine
if [ "$WINEARCH" = win64 ]; then
  # Debian's wine script prefers the 32-bit loader, which a 64-bit-only kernel cannot start.
  tarn_wine=/usr/lib/wine/wine64
  export WINELOADER=$tarn_wine
fi
