# Culmus's fonts, whose David CLM stands in for "David": Debian 13 renamed their package
# fonts-culmus and keeps culmus, Debian 12's name, only as a transitional package that a
# later release drops. The current name first.
set(STEPDIAL_CULMUS_PACKAGES fonts-culmus culmus)
# As a Depends field gives them: either.
list(JOIN STEPDIAL_CULMUS_PACKAGES " | " STEPDIAL_CULMUS_DEPENDS)
