#pragma once

#include <cstdint>

#include <QStringList>

// The menu items that the rights bits govern, by the names they bear in the main window.
QStringList governedMenuItems();

// Which of the governed items a user with these rights may use; the bits add up.
QStringList enabledMenuItems(std::uint8_t permissions);
