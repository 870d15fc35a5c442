// Anchor so the logic library exists before its first model is added.
