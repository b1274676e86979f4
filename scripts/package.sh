#!/usr/bin/env bash
# Builds the release archives into dist/:
#   DrumTamrik-<version>-linux-x86_64.tar.gz  DrumTamrik.so and DrumTamrikKit.so,
#                                             DrumTamrik.clap (both instruments), the LV2
#                                             bundles DrumTamrik.lv2 and DrumTamrikKit.lv2,
#                                             the VST 3 bundles DrumTamrik.vst3 and
#                                             DrumTamrikKit.vst3, the tools, drumtamrik
#                                             (the standalone program) with its
#                                             share/applications entries and share/icons
#                                             icon, the README
#   DrumTamrik-<version>-windows.zip          32-bit/ and 64-bit/ DrumTamrik.dll,
#                                             DrumTamrikKit.dll and DrumTamrik.clap; the
#                                             VST 3 bundles, each with both Windows
#                                             libraries; INSTALL.txt
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh base lv2 windows
jobs=$(nproc)
version=$(sed -n 's/^project(DrumTamrik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p dist

# A folder of its own: no tests, so none of their libraries are needed.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DTAMRIK_TESTS=OFF -DTAMRIK_LV2=ON >/dev/null
cmake --build build-package -j"$jobs" --target DrumTamrik DrumTamrikKit DrumTamrik_clap DrumTamrik_lv2 \
  DrumTamrikKit_lv2 DrumTamrik_vst3 DrumTamrikKit_vst3 tamrik-render tamrik-host tamrik-gallery drumtamrik
linux=DrumTamrik-$version-linux-x86_64
mkdir -p "$stage/$linux"
cp build-package/plugin/DrumTamrik.so build-package/plugin/DrumTamrikKit.so build-package/lib/clap/DrumTamrik.clap \
   build-package/tools/tamrik-render/tamrik-render \
   build-package/tools/tamrik-host/tamrik-host build-package/tools/tamrik-gallery/tamrik-gallery \
   build-package/app/drumtamrik README.md "$stage/$linux/"
cp -r build-package/lib/lv2/DrumTamrik.lv2 build-package/lib/lv2/DrumTamrikKit.lv2 \
   build-package/lib/vst3/DrumTamrik.vst3 build-package/lib/vst3/DrumTamrikKit.vst3 "$stage/$linux/"
# Laid out as under a prefix, so that copying share/ into ~/.local/share installs them.
mkdir -p "$stage/$linux/share/applications" "$stage/$linux/share/icons/hicolor/128x128/apps"
cp app/drumtamrik.desktop app/drumtamrik-kit.desktop "$stage/$linux/share/applications/"
cp build-package/app/drumtamrik.png "$stage/$linux/share/icons/hicolor/128x128/apps/"
strip "$stage/$linux"/DrumTamrik*.so "$stage/$linux"/DrumTamrik.clap "$stage/$linux"/tamrik-* "$stage/$linux"/drumtamrik \
  "$stage/$linux"/DrumTamrik*.lv2/*.so "$stage/$linux"/DrumTamrik*.vst3/Contents/x86_64-linux/*.so
tar -C "$stage" -czf "dist/$linux.tar.gz" "$linux"

windows=DrumTamrik-$version-windows
for arch in i686 x86_64; do
  cmake -S . -B build-win-$arch -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-$arch.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-win-$arch -j"$jobs" --target DrumTamrik DrumTamrikKit DrumTamrik_clap \
    DrumTamrik_vst3 DrumTamrikKit_vst3
  bits=$([ $arch = i686 ] && echo 32 || echo 64)
  platform=$([ $arch = i686 ] && echo x86-win || echo x86_64-win)
  mkdir -p "$stage/$windows/$bits-bit"
  $arch-w64-mingw32-strip -o "$stage/$windows/$bits-bit/DrumTamrik.dll" build-win-$arch/plugin/DrumTamrik.dll
  $arch-w64-mingw32-strip -o "$stage/$windows/$bits-bit/DrumTamrikKit.dll" build-win-$arch/plugin/DrumTamrikKit.dll
  $arch-w64-mingw32-strip -o "$stage/$windows/$bits-bit/DrumTamrik.clap" build-win-$arch/lib/clap/DrumTamrik.clap
  for name in DrumTamrik DrumTamrikKit; do
    contents=$name.vst3/Contents/$platform
    mkdir -p "$stage/$windows/$contents"
    $arch-w64-mingw32-strip -o "$stage/$windows/$contents/$name.vst3" build-win-$arch/lib/vst3/$contents/$name.vst3
  done
done
cat > "$stage/$windows/INSTALL.txt" <<TEXT
DrumTamrik $version for Windows: a drum synthesizer instrument, VST 2, VST 3 and CLAP.

Copy the DrumTamrik.dll that matches your host into the folder it scans for
VST 2 plug-ins (for example C:\\Program Files\\VSTPlugins):
  64-bit\\DrumTamrik.dll  for 64-bit hosts (most hosts today)
  32-bit\\DrumTamrik.dll  for 32-bit hosts, or a 32-bit plug-in bridge
DrumTamrikKit.dll beside it is DrumTamrik Kit: sixteen sounds on their own
keys and outputs.
For CLAP hosts, copy the DrumTamrik.clap that matches your host into
%COMMONPROGRAMFILES%\\CLAP (usually C:\\Program Files\\Common Files\\CLAP).
For VST 3 hosts, copy the folders DrumTamrik.vst3 and DrumTamrikKit.vst3 whole
into %COMMONPROGRAMFILES%\\VST3 (usually C:\\Program Files\\Common Files\\VST3);
each carries the 64-bit and the 32-bit library, and hosts pick their own.
Each file is self-contained: it needs nothing but Windows itself.
Then let the host rescan its plug-ins; the instruments show up as "DrumTamrik"
and "DrumTamrik Kit".
TEXT
sed -i 's/$/\r/' "$stage/$windows/INSTALL.txt"
rm -f "dist/$windows.zip"
(cd "$stage" && cmake -E tar cf "$OLDPWD/dist/$windows.zip" --format=zip "$windows")
ls -l dist/"$linux".tar.gz dist/"$windows".zip
