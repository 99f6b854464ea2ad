# cmake [-DPROJECT_VERSION=1.3.0] -DWORK_DIR=dir -P releases_test.cmake
#
# Release notes of two releases through kennfix_releases: the AppStream
# <release> elements and the Debian changelog, byte for byte, and the
# newest release's date in seconds. Run with another PROJECT_VERSION, it
# must stop configuring with a message that names both versions.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/releases.cmake)
if(NOT DEFINED PROJECT_VERSION)
  set(PROJECT_VERSION 1.2.0)
endif()

# A ";" splits CMake lists, "&" and "<" need escaping in XML; 2000-02-29 is a
# leap day.
file(WRITE ${WORK_DIR}/CHANGELOG.md [[
# Änderungen

## 1.2.0 (2027-03-01)

- Spalten mit ; getrennt, auch [eckige] Klammern
- Müller & Söhne <GmbH> bekommen ihre eTIN,
  auch über zwei Zeilen.

## 0.9.0 (2000-02-29)

- Erste Ausgabe.
]])
kennfix_releases(${WORK_DIR}/CHANGELOG.md PACKAGE kennfix MAINTAINER "K <k@example.org>"
  DEBIAN_CHANGELOG ${WORK_DIR}/changelog)

function(expect what actual expected)
  if(NOT actual STREQUAL expected)
    message(SEND_ERROR "${what} is\n${actual}\nnot\n${expected}")
  endif()
endfunction()

expect("KENNFIX_APPSTREAM_RELEASES" "${KENNFIX_APPSTREAM_RELEASES}" [[
    <release version="1.2.0" date="2027-03-01">
      <description>
        <ul>
          <li>Spalten mit ; getrennt, auch [eckige] Klammern</li>
          <li>Müller &amp; Söhne &lt;GmbH&gt; bekommen ihre eTIN, auch über zwei Zeilen.</li>
        </ul>
      </description>
    </release>
    <release version="0.9.0" date="2000-02-29">
      <description>
        <ul>
          <li>Erste Ausgabe.</li>
        </ul>
      </description>
    </release>
]])
file(READ ${WORK_DIR}/changelog changelog)
expect("the Debian changelog" "${changelog}" [[
kennfix (1.2.0) unstable; urgency=medium

  * Spalten mit ; getrennt, auch [eckige] Klammern
  * Müller & Söhne <GmbH> bekommen ihre eTIN,
    auch über zwei Zeilen.

 -- K <k@example.org>  Mon, 01 Mar 2027 00:00:00 +0000

kennfix (0.9.0) unstable; urgency=medium

  * Erste Ausgabe.

 -- K <k@example.org>  Tue, 29 Feb 2000 00:00:00 +0000
]])
expect("KENNFIX_RELEASE_EPOCH" "${KENNFIX_RELEASE_EPOCH}" 1803859200)
