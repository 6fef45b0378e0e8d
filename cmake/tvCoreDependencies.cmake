# Third-party libraries the library links against (Debian packages, found through pkg-config).
# Each subsystem adds its own dependency here when it arrives.
find_package(PkgConfig REQUIRED)
