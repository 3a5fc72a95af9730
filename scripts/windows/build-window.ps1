# Builds the window program (kruskalwallis.exe) and kwtest.exe with the Excel link on Windows,
# with Qt's own MSVC build of Qt 6, puts Qt beside them with windeployqt, and makes the
# installer with CPack's NSIS generator: the recipe of docs/windows.md as one script. It has not
# been run on Windows yet: docs/windows.md lists what stands in the way ("Known gaps").
#
# From an "x64 Native Tools Command Prompt for VS 2022", in the repository:
#
#   powershell -ExecutionPolicy Bypass -File scripts\windows\build-window.ps1 `
#       -QtDir C:\Qt\6.5.3\msvc2019_64 -BoostDir C:\local\boost_1_84_0
#
# -Compiler cl takes Microsoft's compiler in place of clang-cl (see docs/windows.md: the core
# does not yet build with it). The installer lands in build-win\packages.
param(
    [Parameter(Mandatory = $true)] [string] $QtDir,     # holds bin\windeployqt.exe
    [Parameter(Mandatory = $true)] [string] $BoostDir,  # holds boost\math
    [ValidateSet('clang-cl', 'cl')] [string] $Compiler = 'clang-cl',
    [string] $BuildDir = 'build-win'
)
Set-StrictMode -Version Latest
$ErrorActionPreference = 'Stop'
$root = Resolve-Path (Join-Path $PSScriptRoot '..\..')
Set-Location $root

# Runs a program and stops at its failure (PowerShell does not, for programs).
function Invoke-Step([string] $what, [scriptblock] $command) {
    Write-Host "== $what"
    & $command
    if ($LASTEXITCODE -ne 0) { throw "build-window: $what failed (exit $LASTEXITCODE)" }
}

# What the recipe needs, each with where it comes from.
$needs = @(
    @{ Tool = $Compiler; From = 'Visual Studio 2022 (C++ desktop workload; for clang-cl also "C++ Clang tools for Windows"), run from its x64 Native Tools prompt' },
    @{ Tool = 'cmake'; From = 'Visual Studio 2022 or cmake.org' },
    @{ Tool = 'ninja'; From = 'Visual Studio 2022 or ninja-build.org' },
    @{ Tool = 'makensis'; From = 'NSIS 3 (nsis.sourceforge.io), its folder on the PATH' }
)
foreach ($need in $needs) {
    if (-not (Get-Command $need.Tool -ErrorAction SilentlyContinue)) {
        throw "build-window: $($need.Tool) is missing: $($need.From)"
    }
}
if (-not (Test-Path (Join-Path $QtDir 'bin\windeployqt.exe'))) {
    throw "build-window: $QtDir\bin\windeployqt.exe is missing: give -QtDir the MSVC kit of Qt 6 (Qt online installer)"
}
if (-not (Test-Path (Join-Path $BoostDir 'boost\math'))) {
    throw "build-window: $BoostDir\boost\math is missing: give -BoostDir the unpacked Boost (boost.org)"
}

# The icon of the installer, where ImageMagick is installed.
New-Item -ItemType Directory -Force $BuildDir | Out-Null
if (Get-Command magick -ErrorAction SilentlyContinue) {
    Invoke-Step 'the installer icon' {
        magick -background none packaging\icons\kruskalwallis.svg `
            -define icon:auto-resize=256,64,48,32,16 (Join-Path $BuildDir 'kruskalwallis.ico')
    }
}

Invoke-Step 'configure' {
    cmake -S . -B $BuildDir -G Ninja -DCMAKE_BUILD_TYPE=Release `
        -DCMAKE_C_COMPILER=$Compiler -DCMAKE_CXX_COMPILER=$Compiler `
        "-DCMAKE_PREFIX_PATH=$QtDir" "-DKW_BOOST_INCLUDE_DIR=$BoostDir" `
        "-DKW_WINDEPLOYQT=$QtDir\bin\windeployqt.exe" -DKW_BUILD_TESTS=OFF
}
Invoke-Step 'build' { cmake --build $BuildDir }
# The programs, Qt beside them (windeployqt) and the C++ runtime, as the installer will hold them.
Invoke-Step 'install into the stage' { cmake --install $BuildDir --prefix (Join-Path $BuildDir 'stage') }
Invoke-Step 'kwtest on an example' {
    & (Join-Path $BuildDir 'stage\bin\kwtest.exe') examples\plantgrowth.txt --group group --test weight
}
Invoke-Step 'the installer' {
    cpack --config (Join-Path $BuildDir 'CPackConfig.cmake') -B (Join-Path $BuildDir 'packages')
}
Get-ChildItem (Join-Path $BuildDir 'packages\*.exe') | ForEach-Object { Write-Host "made $($_.FullName)" }
