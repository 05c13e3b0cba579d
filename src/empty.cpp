// Stands in for a layer that has no code yet, so that every layer is a real target.
